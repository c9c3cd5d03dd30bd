#pragma once

#include <QString>
#include <string>
#include <string_view>

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

} // namespace corvo::platform
