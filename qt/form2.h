#pragma once

#include <QDialog>
#include <chrono>
#include <memory>

#include "copy/progress_controls.h"
#include "run/progress_layout.h"

class QFrame;
class QLabel;
class QPushButton;

namespace setup {

class ProgressForm;
struct Session;

/// The progress window: status label, trough with percentage and bar, and the button. Its events go to
/// the copy's handlers (ProgressForm); it draws what they set.
class Form2 final : public QDialog, public ProgressControls {
    Q_OBJECT

  public:
    explicit Form2(Session& session);
    ~Form2() override;

    /// The handlers this window forwards its events to.
    ProgressForm& handlers() { return *m_handlers; }

    int troughWidth() const override;
    void setBarWidth(float twips) override;
    void setPercentCaption(const std::wstring& caption) override;
    void setStatusCaption(const std::wstring& caption) override;
    std::wstring buttonCaption() const override;
    void setButtonCaption(const std::wstring& caption) override;
    void repaintPercent() override;
    void repaintStatus() override;
    /// Ends the modal loop and hides the window; its owner destroys it once the loop has returned.
    void unload() override;

    /// True once unload has run.
    bool isUnloaded() const { return m_unloaded; }

    /// Makes the finished window press its own button `delay` after the copy has finished, for a run
    /// nobody watches.
    void closeWhenFinished(std::chrono::milliseconds delay) { m_closeDelay = delay; }

    /// Escape and other rejections do nothing: the window ends only through its button.
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void activate();
    void activateIfNeverActivated();
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QRect toPixels(const form2_layout::TwipsRect& rect) const;

    std::unique_ptr<ProgressForm> m_handlers;
    QLabel* m_label2 = nullptr;
    QFrame* m_picture1 = nullptr;
    QWidget* m_trough = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_image1 = nullptr;
    QPushButton* m_command1 = nullptr;
    bool m_activated = false;
    bool m_unloaded = false;
    std::chrono::milliseconds m_closeDelay{0};
    bool m_closeScheduled = false;
};

}  // namespace setup
