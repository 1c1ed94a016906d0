#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace quillora::test {

/** Writes `content` to `path`, making its folder first. Returns false when the folder or the file cannot be made. */
inline bool writeFile(const QString& path, const QByteArray& content = QByteArray())
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(content) == content.size();
}

/** The whole content of `path`; empty when it cannot be read. */
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quillora::test
