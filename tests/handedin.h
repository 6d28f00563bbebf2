// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Handed-in work for the grading tests: a session as a student leaves it, its record, and that
// record packed as the report packs it (a minimal ODT package) or saved as the results' JSON.
// Needs the built-in pictures (the resources library) and Qt's zip writer (Qt6::GuiPrivate).

#include "builtinpictures.h"
#include "labsession.h"
#include "picturereader.h"
#include "sessionrecord.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <private/qzipwriter_p.h>

namespace HandedIn {

// A student's session: the homework checked (right unless counters say otherwise), then the
// picture's plane analysed and its hidden codes typed right, the codes checked.
inline LabSession *session(const QString &name, const QString &counters, const QString &picture,
    int plane, std::optional<int> variant = {}, QObject *parent = nullptr)
{
    auto *lab = new LabSession(parent);
    lab->setHomework(
        {HomeworkOutcome::Verdict::Right, name, counters, QStringLiteral("right"), QString()});
    lab->setVariant(variant);
    lab->selectPlane(plane - 1);
    const QString path = BuiltInPictures::resourcePath(picture);
    lab->load(PictureReader::read(path).image, picture);
    const QStringList hidden = lab->currentPlane()->hiddenCodes();
    for (int row = 0; row < hidden.size(); ++row)
        lab->setTyped(row, hidden.at(row));
    lab->check();
    return lab;
}

// The record of the session's first analysed plane.
inline SessionRecord record(const QString &name, const QString &counters, const QString &picture,
    int plane, std::optional<int> variant = {})
{
    LabSession *lab = session(name, counters, picture, plane, variant);
    const SessionRecord result = SessionRecord::of(*lab, {0});
    delete lab;
    return result;
}

// A minimal ODT package carrying the record, as the report writer stores it.
inline QByteArray odt(const QByteArray &json)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QZipWriter zip(&buffer);
    zip.setCompressionPolicy(QZipWriter::NeverCompress);
    zip.addFile(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text");
    zip.setCompressionPolicy(QZipWriter::AlwaysCompress);
    zip.addFile(QStringLiteral("META-INF/manifest.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\">\n"
        " <manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>\n"
        " <manifest:file-entry manifest:full-path=\"huffman-lab/session.json\" "
        "manifest:media-type=\"application/json\"/>\n"
        "</manifest:manifest>\n");
    zip.addFile(SessionRecord::packageEntry(), json);
    zip.close();
    return buffer.data();
}

inline QByteArray odt(const SessionRecord &record)
{
    return odt(record.toJson());
}

} // namespace HandedIn
