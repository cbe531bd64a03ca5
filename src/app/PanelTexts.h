#pragma once
// Texts the panel shows that it did not write itself: the engine's messages
// and captions, in the language the program runs in (its installed
// translation of the context "Engine"), the Japanese itself without one.
#include <QString>
#include <string>

namespace plendo::app {

QString EngineText(const std::string& text);

// A size list item as the size boxes show it, and as the settings keep it:
// the actual-size item is "原寸" in the settings and translated on screen.
QString ShownSizeItem(const std::string& item);
std::string StoredSizeItem(const QString& shown);

}  // namespace plendo::app
