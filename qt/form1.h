#pragma once

#include <QImage>
#include <QWidget>
#include <string>

#include "run/backdrop_texts.h"
#include "run/windows.h"

class QLabel;

namespace setup {

/// The main window: a borderless backdrop covering the screen, with the logo box Picture1. Everything
/// drawn on it goes into a retained image that the paint event copies to the screen.
class Form1 final : public QWidget, public MainWindow {
  public:
    Form1();
    ~Form1() override;

    std::wstring caption() const override;
    void setCaption(const std::wstring& caption) override;
    /// Takes the whole geometry of the window's screen, with or without a window manager.
    void maximise() override;
    void show() override;
    void PaintBackdrop() override;
    void unload() override;

    /// What the window shows, without the logo box (a child window above it).
    const QImage& retainedImage() const { return m_image; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    /// Gives the retained image the size of the drawable area, keeping what it holds.
    void fitImage();

    QImage m_image;
    QLabel* m_picture1 = nullptr;
    /// The caption as the program gave it; the window's title holds it escaped for Qt.
    std::wstring m_caption = L"Form1";
};

}  // namespace setup
