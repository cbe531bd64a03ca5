#pragma once
// The panel's picture `IMG`: shows the current preview graphic, stretched in
// proportion and centred over the monitor background. With no graphic it
// paints nothing at all, so the monitor label `Mess` beneath it shows.
//
// Drawing goes through the preview layer's canvas; the widget only copies the
// finished canvas to the screen. An error while painting (a JPEG whose data
// fails to decode, a picture too large to hold) is reported once, after the
// paint, through the error reporter; the widget then shows the bare
// background until another file is loaded or the picture is cleared, so a
// failing graphic can never start a loop of repaints and message boxes.
//
// An animated GIF plays while it is shown: its painter's paints reach this
// thread through the event loop and each repaints the widget. Replacing or
// clearing the graphic, or destroying the widget, stops the painter first.
#include <filesystem>
#include <functional>

#include <QString>
#include <QWidget>

#include "preview/Picture.h"

namespace plendo::app {

class PreviewWidget : public QWidget {
 public:
  explicit PreviewWidget(QWidget* parent = nullptr);

  // Loads the file as its extension says and schedules a repaint. Throws on
  // any failure (unknown extension, open error, decoder error) and keeps the
  // graphic shown before. Call repaint() afterwards to show it at once.
  void LoadFromFile(const std::filesystem::path& path);
  // Shows a graphic already loaded (and prepared) elsewhere.
  void ShowGraphic(std::unique_ptr<preview::TGraphic> graphic);
  // Frees the graphic; the widget turns transparent again.
  void Clear();

  const preview::TPicture& Picture() const { return picture_; }

  // Shows the text of an error raised while painting. The default is a modal
  // message box titled with the application's name.
  using ErrorReporter = std::function<void(const QString& message)>;
  void SetErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }

  QSize sizeHint() const override { return {173, 164}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ReportLater(const QString& message);

  preview::TPicture picture_;
  bool paint_failed_ = false;  // the current graphic failed to draw; shown as background
  ErrorReporter reporter_;
};

}  // namespace plendo::app
