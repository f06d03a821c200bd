#include "qt/window_title.h"

namespace setup {

QString literalWindowTitle(const std::wstring& text) {
    return QString::fromStdWString(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

}  // namespace setup
