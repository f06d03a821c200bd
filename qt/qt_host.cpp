#include "qt/qt_host.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "qt/window_title.h"

namespace setup {

namespace {

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

constexpr ButtonAnswer kOkButton{QMessageBox::Ok, box::kOk};
constexpr ButtonAnswer kCancelButton{QMessageBox::Cancel, box::kCancel};
constexpr ButtonAnswer kRetryButton{QMessageBox::Retry, box::kRetry};
constexpr ButtonAnswer kYesButton{QMessageBox::Yes, box::kYes};
constexpr ButtonAnswer kNoButton{QMessageBox::No, box::kNo};

/// The buttons of a style, first (default) button first, and the one that Escape and the close box press.
struct ButtonSet {
    std::vector<ButtonAnswer> buttons;
    ButtonAnswer escape;
};

ButtonSet buttonsOf(int style) {
    switch (style & 0x0F) {
        case 1:
            return {{kOkButton, kCancelButton}, kCancelButton};
        case 3:
            return {{kYesButton, kNoButton, kCancelButton}, kCancelButton};
        case 4:
            return {{kYesButton, kNoButton}, kNoButton};
        case 5:
            return {{kRetryButton, kCancelButton}, kCancelButton};
        default:
            return {{kOkButton}, kOkButton};
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

/// Qt takes a text that looks like markup for rich text; the program's texts are always plain.
QString plain(const std::wstring& text) { return QString::fromStdWString(text); }

}  // namespace

void QtHost::setMessageBoxParent(QWidget* parent) { m_parent = parent; }

int QtHost::messageBox(const std::wstring& text, int style, const std::wstring& title) {
    const std::unique_ptr<QMessageBox> messageBox = makeMessageBox(text, style, title, m_parent.data());
    messageBox->exec();
    return messageBoxAnswer(*messageBox);
}

void QtHost::processPendingMessages() { QCoreApplication::processEvents(); }

void QtHost::endProgram(int exitStatus) {
    std::cout.flush();
    std::wcout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // std::exit would run the static destructors of Qt's plugins and global objects while the application
    // object and its windows still live on main's stack, which can crash on the way out and turn the exit
    // status into a signal. Everything the run wrote is closed or flushed above, so the process ends here.
    std::_Exit(exitStatus);
}

std::unique_ptr<QMessageBox> makeMessageBox(const std::wstring& text, int style, const std::wstring& title,
                                            QWidget* parent) {
    auto messageBox = std::make_unique<QMessageBox>(parent);
    messageBox->setTextFormat(Qt::PlainText);
    messageBox->setText(plain(text));
    messageBox->setWindowTitle(literalWindowTitle(title));
    messageBox->setIcon(iconOf(style));
    const ButtonSet set = buttonsOf(style);
    for (const ButtonAnswer& button : set.buttons) messageBox->addButton(button.button);
    messageBox->setDefaultButton(set.buttons.front().button);
    messageBox->setEscapeButton(messageBox->button(set.escape.button));
    return messageBox;
}

int messageBoxAnswer(const QMessageBox& box) {
    QAbstractButton* clicked = box.clickedButton() != nullptr ? box.clickedButton() : box.escapeButton();
    const QMessageBox::StandardButton pressed = box.standardButton(clicked);
    for (const ButtonAnswer& button : {kOkButton, kCancelButton, kRetryButton, kYesButton, kNoButton}) {
        if (button.button == pressed) return button.answer;
    }
    return box::kCancel;
}

bool installFrenchTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace setup
