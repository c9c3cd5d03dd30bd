#pragma once

// A printed PDF read back as text with pdftotext (poppler-utils), one string a page.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace corvo::platform::test {

/// The text of every page, in reading order; empty when the tool fails (the reason in
/// `error`).
inline QStringList pdfPages(const QString& path, QString* error = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftotext (poppler-utils) failed: ") + tool.errorString() +
                     QString::fromUtf8(tool.readAllStandardError());
        return {};
    }
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

} // namespace corvo::platform::test
