// Writes the messages of Qt translation files (.ts) as a C++ table, for
// plendo-batch, which has no Qt: ts_table OUT.inc FILE.ts...
// Each file becomes an array named after it (plendo_en.ts: kTexts_plendo_en)
// of {context, source, translation}; entries without a finished translation
// are left out.
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

QByteArray Literal(const QString& text) {
  QByteArray out = "\"";
  for (const char c : text.toUtf8()) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '?': out += "\\?"; break;  // no trigraphs
      default: out += c;
    }
  }
  return out + '"';
}

// An element's text; lupdate writes a character XML cannot hold (the CR of
// "\r\n") as <byte value="xd"/>.
QString ElementText(QXmlStreamReader& xml) {
  QString text;
  for (int depth = 1; depth > 0 && !xml.atEnd();) {
    xml.readNext();
    if (xml.isCharacters()) text += xml.text();
    if (xml.isStartElement()) {
      ++depth;
      if (xml.name() == QLatin1String("byte")) {
        const QString value = xml.attributes().value(QStringLiteral("value")).toString();
        text += QChar(value.startsWith(u'x') ? value.mid(1).toUShort(nullptr, 16) : value.toUShort());
      }
    }
    if (xml.isEndElement()) --depth;
  }
  return text;
}

bool WriteTable(const QString& path, QByteArray& out) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  out += "inline constexpr TranslatedText kTexts_" +
         QFileInfo(path).completeBaseName().replace('-', '_').toUtf8() + "[] = {\n";
  QXmlStreamReader xml(&file);
  QString context, source, translation;
  bool finished = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) {
      if (xml.isEndElement() && xml.name() == QLatin1String("message") && finished && !translation.isEmpty())
        out += "    {" + Literal(context) + ", " + Literal(source) + ", " + Literal(translation) + "},\n";
      continue;
    }
    if (xml.name() == QLatin1String("name")) context = ElementText(xml);
    if (xml.name() == QLatin1String("source")) source = ElementText(xml);
    if (xml.name() == QLatin1String("translation")) {
      finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
      translation = ElementText(xml);
    }
  }
  out += "};\n";
  return !xml.hasError();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ts_table OUT.inc FILE.ts...\n");
    return 2;
  }
  QByteArray out = "// Written by ts_table from the translation files; do not edit.\n";
  for (int i = 2; i < argc; ++i) {
    if (!WriteTable(QString::fromLocal8Bit(argv[i]), out)) {
      std::fprintf(stderr, "ts_table: cannot read %s\n", argv[i]);
      return 1;
    }
  }
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) return 1;
  return 0;
}
