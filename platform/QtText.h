#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

class QTranslator;

namespace corvo::platform {

/// GBK bytes (the tables' text) as a QString for a widget.
QString fromGbk(std::string_view gbk);
/// A widget's text as GBK bytes; throws corvo::Error when it holds characters GBK lacks.
std::string toGbk(const QString& text);
/// UTF-8 literals and messages as a QString.
inline QString fromUtf8(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// Qt's own texts (standard buttons, the edit menu, the print preview) in Simplified Chinese:
/// loads qtbase_zh_CN.qm from `directory` (Qt's translations directory when empty) and
/// installs it in the application. nullptr, with Qt's English left, when the file is missing
/// or damaged. The translation is removed again when the returned object is destroyed.
std::unique_ptr<QTranslator> installQtChinese(const QString& directory = {});

} // namespace corvo::platform
