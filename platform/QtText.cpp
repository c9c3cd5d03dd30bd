#include "QtText.h"

#include "entity/Gbk.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace corvo::platform {

QString fromGbk(std::string_view gbk)
{
    return fromUtf8(gbk::toUtf8(gbk));
}

std::string toGbk(const QString& text)
{
    return gbk::fromUtf8(text.toStdString());
}

std::unique_ptr<QTranslator> installQtChinese(const QString& directory)
{
    const QString dir =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), dir) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}

} // namespace corvo::platform
