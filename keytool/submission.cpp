// SPDX-License-Identifier: GPL-3.0-or-later
#include "submission.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <private/qzipreader_p.h>

#include <algorithm>

namespace {

// The zip's end-of-central-directory record and central file headers: only the fields that bound
// what QZipReader is then asked to inflate.
constexpr quint32 endSignature = 0x06054b50;
constexpr quint32 headerSignature = 0x02014b50;
constexpr qint64 endSize = 22;
constexpr qint64 maxComment = 0xffff;
constexpr qint64 headerSize = 46;
// An ODT's directory lists a few dozen entries; far more is not a report.
constexpr qint64 maxDirectory = 4 * 1024 * 1024;

quint32 u32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 u16(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

struct EntrySizes
{
    qint64 packed = 0;
    qint64 size = 0;
};

const QString damaged = QStringLiteral("файл поврежден или обрезан (это не целый пакет ODT)");

// The sizes the package's central directory gives the entry; nothing when the package has no
// directory, the entry is missing (why says which) or the directory is past reason.
std::optional<EntrySizes> declaredSizes(QFile &file, const QByteArray &entry, QString *why)
{
    const qint64 fileSize = file.size();
    const qint64 tailSize = std::min(fileSize, endSize + maxComment);
    if (tailSize < endSize || !file.seek(fileSize - tailSize)) {
        *why = damaged;
        return std::nullopt;
    }
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize) {
        *why = damaged;
        return std::nullopt;
    }
    // The last end record whose comment reaches exactly to the end of the file.
    qint64 end = -1;
    for (qint64 at = tailSize - endSize; at >= 0; --at) {
        if (u32(tail, at) == endSignature && at + endSize + u16(tail, at + 20) == tailSize) {
            end = at;
            break;
        }
    }
    if (end < 0) {
        *why = damaged;
        return std::nullopt;
    }
    const qint64 directorySize = u32(tail, end + 12);
    const qint64 directoryStart = u32(tail, end + 16);
    const qint64 endInFile = fileSize - tailSize + end;
    if (directoryStart + directorySize > endInFile || directorySize > maxDirectory) {
        *why = damaged;
        return std::nullopt;
    }
    if (!file.seek(directoryStart)) {
        *why = damaged;
        return std::nullopt;
    }
    const QByteArray directory = file.read(directorySize);
    if (directory.size() != directorySize) {
        *why = damaged;
        return std::nullopt;
    }
    for (qint64 at = 0; at + headerSize <= directorySize;) {
        if (u32(directory, at) != headerSignature) {
            *why = damaged;
            return std::nullopt;
        }
        const qint64 nameLength = u16(directory, at + 28);
        const qint64 next
            = at + headerSize + nameLength + u16(directory, at + 30) + u16(directory, at + 32);
        if (next > directorySize) {
            *why = damaged;
            return std::nullopt;
        }
        if (directory.mid(at + headerSize, nameLength) == entry)
            return EntrySizes {u32(directory, at + 20), u32(directory, at + 24)};
        at = next;
    }
    *why = QStringLiteral("в пакете нет записи %1").arg(QString::fromLatin1(entry));
    return std::nullopt;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1).replace(u'.', u',')
        + QStringLiteral(" МБ");
}

} // namespace

std::optional<QByteArray> Submission::packageEntry(
    const QString &path, const QString &entry, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("файл не открывается для чтения");
        return std::nullopt;
    }
    const std::optional<EntrySizes> sizes = declaredSizes(file, entry.toUtf8(), why);
    if (!sizes)
        return std::nullopt;
    // 0xffffffff is a ZIP64 size: far past any report's data.
    if (sizes->size > maxEntrySize || sizes->packed > maxPackedEntry) {
        *why = QStringLiteral("запись %1 слишком велика (%2): отказано, файл не прочитан")
                   .arg(entry, megabytes(std::max(sizes->size, sizes->packed)));
        return std::nullopt;
    }
    file.seek(0);
    const QZipReader zip(&file);
    if (zip.status() != QZipReader::NoError) {
        *why = damaged;
        return std::nullopt;
    }
    const QByteArray data = zip.fileData(entry);
    // A short or long result: the entry's data is damaged (or lied about its size).
    if (data.size() != sizes->size) {
        *why = QStringLiteral("запись %1 повреждена").arg(entry);
        return std::nullopt;
    }
    return data;
}

bool Submission::moodleName(const QString &name, QString *student, QString *number)
{
    // "Фамилия Имя Отчество_123456_assignsubmission_file_" (a folder), or the same followed by
    // the file's own name (Moodle's flat layout).
    static const QRegularExpression moodle(
        QStringLiteral("^(.+?)_(\\d+)_assignsubmission_[a-z]+_"));
    const QRegularExpressionMatch match = moodle.match(name);
    if (!match.hasMatch())
        return false;
    *student = match.captured(1).simplified();
    *number = match.captured(2);
    return !student->isEmpty();
}

QStringList Submission::find(const QStringList &paths, QStringList *missing)
{
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isFile()) {
            files.append(path);
        } else if (info.isDir()) {
            // Symbolic links to folders are not followed: no loops, nothing outside the folder.
            QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            QStringList found;
            while (it.hasNext())
                found.append(it.next());
            std::sort(found.begin(), found.end());
            files += found;
        } else {
            missing->append(path);
        }
    }
    // The results table beside its data is one handed-in work with it.
    QStringList kept;
    QSet<QString> seen;
    for (const QString &file : std::as_const(files)) {
        if (file.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
            && QFileInfo::exists(file.chopped(4) + QStringLiteral(".json")))
            continue;
        if (!seen.contains(file)) {
            seen.insert(file);
            kept.append(file);
        }
    }
    return kept;
}

Submission Submission::read(const QString &path)
{
    Submission submission;
    submission.path = path;
    const QFileInfo info(path);
    if (!moodleName(info.fileName(), &submission.sender, &submission.senderNumber))
        moodleName(info.dir().dirName(), &submission.sender, &submission.senderNumber);

    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("odt"))
        submission.kind = Kind::Report;
    else if (suffix == QLatin1String("json"))
        submission.kind = Kind::Results;
    if (submission.kind == Kind::Foreign) {
        submission.kind = Kind::Document;
        if (suffix == QLatin1String("pdf") || suffix == QLatin1String("docx")
            || suffix == QLatin1String("doc") || suffix == QLatin1String("rtf"))
            submission.problem = QStringLiteral(
                "документ без данных программы: проверяются отчет ODT и файл результатов .json, "
                "записанные программой");
        else if (suffix == QLatin1String("csv"))
            submission.problem
                = QStringLiteral("таблица результатов без своего файла данных .json рядом");
        else {
            submission.kind = Kind::Foreign;
            submission.problem = QStringLiteral("не отчет и не файл результатов программы");
        }
        return submission;
    }
    if (info.size() > maxFileSize) {
        submission.problem = QStringLiteral("файл слишком велик (%1, больше %2): отказано, файл не "
                                            "прочитан")
                                 .arg(megabytes(info.size()), megabytes(maxFileSize));
        return submission;
    }

    QByteArray json;
    if (submission.kind == Kind::Report) {
        QString why;
        const std::optional<QByteArray> entry
            = packageEntry(path, SessionRecord::packageEntry(), &why);
        if (!entry) {
            submission.problem = why;
            if (why.startsWith(QStringLiteral("в пакете нет записи")))
                submission.problem = QStringLiteral("в отчете нет данных программы (его записала "
                                                    "не программа или он пересохранен в "
                                                    "текстовом редакторе)");
            return submission;
        }
        json = *entry;
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            submission.problem = QStringLiteral("файл не открывается для чтения");
            return submission;
        }
        json = file.read(maxFileSize);
    }
    QString why;
    submission.record = SessionRecord::fromJson(json, &why);
    if (!submission.record) {
        submission.problem = why;
        // Some other program's JSON lying in the folder.
        if (submission.kind == Kind::Results && json.indexOf("\"huffman-lab\"") < 0)
            submission.kind = Kind::Foreign;
    }
    return submission;
}
