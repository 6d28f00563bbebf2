// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfile.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Windows-1251 from 0x80 on; below that it is ASCII. Written out rather than asked of the
// toolkit, whose named codecs depend on how it was built (ICU or not) and on the platform.
constexpr std::array<char16_t, 128> windows1251 = {0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026,
    0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018,
    0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C,
    0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9,
    0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5,
    0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435,
    0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441,
    0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F};

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

struct Utf8Lines
{
    int withOtherBytes = 0; // lines holding bytes from 0x80 on
    QList<int> damaged; // of those, the lines (from 1) that are no UTF-8
};

// Line by line, with the line breaks the parser counts (LF, CRLF, CR alone). No UTF-8 sequence
// holds a break byte, so a file is UTF-8 exactly when each of its lines is.
Utf8Lines utf8Lines(const QByteArray &bytes)
{
    Utf8Lines lines;
    int line = 1;
    qsizetype start = 0;
    bool other = false;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const char c = i < bytes.size() ? bytes.at(i) : '\n';
        if (c != '\n' && c != '\r') {
            other = other || (c & 0x80);
            continue;
        }
        if (other) {
            ++lines.withOtherBytes;
            if (!isUtf8(QByteArrayView(bytes).sliced(start, i - start)))
                lines.damaged.append(line);
        }
        other = false;
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return lines;
}

bool isBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Past the line break at i (CRLF counts as one).
qsizetype afterBreak(const QString &text, qsizetype i)
{
    if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
        return i + 2;
    return i + 1;
}

// Lines that hold data: not empty, not a comment.
bool isDataLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return !trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#'));
}

// The separator the file's lines share. TAB and ";" never occur in a name or a list of counters,
// so either wins when it is on half the lines or more (a line without it is then a line to
// report, not a sign of another separator); "," is in every list of counters and only counts
// when neither of them does.
QChar findSeparator(const QString &text)
{
    constexpr int sampleLines = 200;
    const QChar candidates[] = {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
    int lines = 0;
    int hits[3] = {0, 0, 0};
    qsizetype start = 0;
    bool quoted = false;
    bool seen[3] = {false, false, false};
    for (qsizetype i = 0; i <= text.size() && lines < sampleLines; ++i) {
        const bool end = i == text.size();
        const QChar c = end ? QChar() : text.at(i);
        if (!end && c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (!end && (quoted || !isBreak(c))) {
            for (int k = 0; k < 3; ++k)
                seen[k] = seen[k] || (!quoted && c == candidates[k]);
            continue;
        }
        if (isDataLine(QStringView(text).mid(start, i - start))) {
            ++lines;
            for (int k = 0; k < 3; ++k)
                hits[k] += seen[k] ? 1 : 0;
        }
        seen[0] = seen[1] = seen[2] = false;
        if (end)
            break;
        i = afterBreak(text, i) - 1;
        start = i + 1;
    }
    if (lines == 0)
        return {};
    for (int k = 0; k < 2; ++k) {
        if (2 * hits[k] >= lines)
            return candidates[k];
    }
    int best = -1;
    for (int k = 0; k < 3; ++k) {
        if (hits[k] > 0 && (best < 0 || hits[k] > hits[best]))
            best = k;
    }
    return best < 0 ? QChar() : candidates[best];
}

// ="text": how a spreadsheet is told to keep digits as text.
QString unwrapFormula(const QString &cell)
{
    const QString trimmed = cell.trimmed();
    if (trimmed.size() < 3 || !trimmed.startsWith(QLatin1String("=\""))
        || !trimmed.endsWith(QLatin1Char('"')))
        return cell;
    QString inner = trimmed.mid(2, trimmed.size() - 3);
    inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return inner;
}

class Parser
{
public:
    // `damaged`: lines whose bytes were no text in the file's encoding, in order.
    Parser(const QString &text, QChar separator, const QList<int> &damaged, ClassFile::Table *table)
        : text(text)
        , separator(separator)
        , damaged(damaged)
        , table(table)
    {
    }

    void run()
    {
        while (position < text.size())
            record();
    }

private:
    const QString &text;
    const QChar separator;
    const QList<int> &damaged;
    ClassFile::Table *table;
    qsizetype position = 0;
    int line = 1;

    // One record from position; a broken one is reported and its first line skipped.
    void record()
    {
        const qsizetype start = position;
        const int firstLine = line;
        QStringList cells;
        QString cell;
        bool quoted = false; // inside quotes
        bool wasQuoted = false; // the cell began with a quote
        bool brokenAfterQuote = false; // text between a closing quote and the separator
        int quoteLine = 0;
        qsizetype i = position;
        for (; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                        cell += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else if (isBreak(c)) {
                    const qsizetype next = afterBreak(text, i);
                    cell += QLatin1Char('\n');
                    ++line;
                    i = next - 1;
                } else {
                    cell += c;
                }
                continue;
            }
            if (isBreak(c))
                break;
            if (!separator.isNull() && c == separator) {
                cells.append(cell);
                cell.clear();
                wasQuoted = false;
                continue;
            }
            if (c == QLatin1Char('"') && !wasQuoted && cell.trimmed().isEmpty()) {
                // Spaces a writer put after the separator do not stop a quoted cell.
                cell.clear();
                quoted = wasQuoted = true;
                quoteLine = line;
                continue;
            }
            if (wasQuoted && line > quoteLine && !c.isSpace())
                brokenAfterQuote = true;
            cell += c;
        }
        if (quoted || brokenAfterQuote) {
            // A quote opened and never closed, or closed lines later in the middle of a cell:
            // everything after it would be one cell. Report the line it opened on and read on
            // from the next line as if it were not there.
            table->problems.append({quoteLine, int(cells.size()) + 1,
                quoted ? QStringLiteral("кавычка в начале ячейки не закрыта до конца файла: "
                                        "закройте ее в конце ячейки или уберите")
                       : QStringLiteral("кавычка в начале ячейки закрыта только в строке %1: "
                                        "закройте ее в конце ячейки или уберите")
                             .arg(line)});
            position = start;
            line = firstLine;
            skipLine();
            return;
        }
        cells.append(cell);
        const int lastLine = line;
        if (i < text.size()) {
            position = afterBreak(text, i);
            ++line;
        } else {
            position = i;
        }
        keep(firstLine, lastLine, cells);
    }

    void skipLine()
    {
        while (position < text.size() && !isBreak(text.at(position)))
            ++position;
        if (position < text.size()) {
            position = afterBreak(text, position);
            ++line;
        }
    }

    void keep(int firstLine, int lastLine, QStringList &cells)
    {
        bool empty = true;
        for (QString &cell : cells) {
            cell = unwrapFormula(cell);
            empty = empty && cell.trimmed().isEmpty();
        }
        if (empty || cells.first().trimmed().startsWith(QLatin1Char('#')))
            return;
        // A record with bytes that are no text holds a name or counters nobody can vouch for.
        const auto bad = std::lower_bound(damaged.cbegin(), damaged.cend(), firstLine);
        if (bad != damaged.cend() && *bad <= lastLine) {
            table->problems.append({*bad, 0,
                QStringLiteral("часть байтов не в кодировке UTF-8, в которой записан остальной "
                               "файл: перепечатайте эту строку и сохраните файл в UTF-8")});
            return;
        }
        table->records.append({firstLine, cells});
    }
};

bool isHidden(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200B && c <= 0x200F)
        || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

} // namespace

QString ClassFile::decode(const QByteArray &bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LE:
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
    case Encoding::Utf16BE:
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes);
    case Encoding::Windows1251: {
        QString text(bytes.size(), Qt::Uninitialized);
        QChar *out = text.data();
        for (const char byte : bytes) {
            const auto b = static_cast<unsigned char>(byte);
            *out++ = QChar(b < 0x80 ? char16_t(b) : windows1251[b - 0x80]);
        }
        return text;
    }
    case Encoding::Utf8:
    case Encoding::Utf8WithMark:
        break;
    }
    return QString::fromUtf8(bytes);
}

ClassFile::Table ClassFile::read(const QByteArray &bytes)
{
    Table table;
    // Workbooks are ZIP archives (xlsx, ods) or OLE compound files (xls).
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        table.refusal = QStringLiteral(
            "это книга электронной таблицы (xlsx, ods или xls), а не текст: сохраните ее как "
            "CSV («Файл» → «Сохранить как», тип «Текст CSV» или «CSV UTF-8») и передайте файл CSV");
        return table;
    }
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        table.encoding = Encoding::Utf8WithMark;
        data.remove(0, 3);
    } else if (data.startsWith("\xFF\xFE")) {
        table.encoding = Encoding::Utf16LE;
        data.remove(0, 2);
    } else if (data.startsWith("\xFE\xFF")) {
        table.encoding = Encoding::Utf16BE;
        data.remove(0, 2);
    }
    QList<int> damaged;
    if (table.encoding == Encoding::Utf8 || table.encoding == Encoding::Utf8WithMark) {
        const Utf8Lines lines = utf8Lines(data);
        damaged = lines.damaged;
        // Windows-1251 text is hardly ever UTF-8: its Cyrillic letters are all UTF-8 lead bytes,
        // and two of them in a row are no sequence. So a file whose lines with such bytes are
        // mostly UTF-8 is UTF-8 with a few damaged lines (a name pasted from elsewhere, a cut
        // sequence); one without a mark whose lines mostly are not is Windows-1251.
        if (table.encoding == Encoding::Utf8 && !damaged.isEmpty()
            && 2 * damaged.size() >= lines.withOtherBytes) {
            table.encoding = Encoding::Windows1251;
            damaged.clear();
        }
    }
    const QString text = decode(data, table.encoding);
    table.separator = findSeparator(text);
    Parser(text, table.separator, damaged, &table).run();
    return table;
}

QString ClassFile::shown(const QString &text, int maxLength)
{
    QString cut = text;
    bool shortened = false;
    if (maxLength > 0 && cut.size() > maxLength) {
        qsizetype keep = maxLength;
        if (cut.at(keep - 1).isHighSurrogate())
            --keep;
        cut.truncate(keep);
        shortened = true;
    }
    QString out;
    out.reserve(cut.size());
    for (const QChar c : std::as_const(cut)) {
        const char16_t u = c.unicode();
        if (!isHidden(u))
            out += c;
        else
            out += (u < 0x100 ? QStringLiteral("\\x") : QStringLiteral("\\u"))
                + QString::number(u, 16).toUpper().rightJustified(u < 0x100 ? 2 : 4, u'0');
    }
    if (shortened)
        out += QStringLiteral("… (всего символов: %1)").arg(text.size());
    return out;
}

QString ClassFile::columnName(int column)
{
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return QStringLiteral("%1 (%2)").arg(column).arg(letters);
}
