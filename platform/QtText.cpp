#include "QtText.h"

#include "entity/Gbk.h"

namespace corvo::platform {

QString fromGbk(std::string_view gbk)
{
    return fromUtf8(gbk::toUtf8(gbk));
}

std::string toGbk(const QString& text)
{
    return gbk::fromUtf8(text.toStdString());
}

} // namespace corvo::platform
