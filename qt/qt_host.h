#pragma once

#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "platform/host.h"

class QCoreApplication;
class QMessageBox;
class QWidget;

namespace setup {

/// The host of the Linux program: message boxes, pending messages and the end of the process over Qt.
class QtHost final : public Host {
  public:
    /// `programDirectory` overrides the directory of the executable (tests run on temporary folders).
    explicit QtHost(std::optional<std::wstring> programDirectory = std::nullopt)
        : Host(std::move(programDirectory)) {}

    /// The window message boxes show above (the main window); null shows them on their own.
    void setMessageBoxParent(QWidget* parent);

    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override;
    /// Flushes the standard streams and ends the process with `exitStatus`.
    [[noreturn]] void endProgram(int exitStatus) override;

  private:
    QPointer<QWidget> m_parent;
};

/// A message box for `style` (icon: 16 critical, 32 question, 48 exclamation, 64 information; buttons: 0 OK,
/// 1 OK Cancel, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel), its first button the default; Escape and the
/// close box press Cancel, or No in a Yes/No box, or OK in an OK box.
std::unique_ptr<QMessageBox> makeMessageBox(const std::wstring& text, int style, const std::wstring& title,
                                            QWidget* parent);

/// The answer a box made by makeMessageBox gives after exec (1 OK, 2 Cancel, 4 Retry, 6 Yes, 7 No).
int messageBoxAnswer(const QMessageBox& box);

/// Loads Qt's French texts (standard buttons "OK", "Annuler", "Oui", "Non") into `application`;
/// false when the translation is not installed.
bool installFrenchTranslation(QCoreApplication& application);

}  // namespace setup
