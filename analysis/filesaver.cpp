// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesaver.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <memory>
#include <vector>

namespace {

// The system's own text is English; the folder's state says most of it in the student's words.
QString reasonFor(const QString &path, const QFileDevice &file, qint64 size)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("Это папка, а не файл.");
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return QStringLiteral("Папка не найдена.");
    if (!folder.isDir())
        return QStringLiteral("Вместо папки на этом месте файл.");
    if (!folder.isWritable())
        return QStringLiteral("Нет прав на запись в эту папку.");
    // A write cut short by a full disk sets no error of its own: the space left tells.
    if (file.error() == QFileDevice::ResourceError
        || QStorageInfo(folder.absoluteFilePath()).bytesAvailable() < size)
        return QStringLiteral("На диске не хватает места.");
    return QStringLiteral("Ошибка записи: %1.").arg(file.errorString());
}

} // namespace

FileSaver::Result FileSaver::save(const QList<File> &files)
{
    // Destroyed without a commit, a QSaveFile removes its temporary file.
    std::vector<std::unique_ptr<QSaveFile>> pending;
    pending.reserve(size_t(files.size()));
    for (const File &file : files) {
        auto saved = std::make_unique<QSaveFile>(file.path);
        // flush() pushes the data out of Qt's buffer now, so a full disk shows here, before any
        // old file is replaced.
        const bool written = saved->open(QIODevice::WriteOnly)
            && saved->write(file.data) == file.data.size() && saved->flush();
        if (!written)
            return {file.path, reasonFor(file.path, *saved, file.data.size())};
        pending.push_back(std::move(saved));
    }
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i]->commit()) {
            const QString &path = files.at(qsizetype(i)).path;
            return {path, reasonFor(path, *pending[i], files.at(qsizetype(i)).data.size())};
        }
    }
    return {};
}
