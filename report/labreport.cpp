// SPDX-License-Identifier: GPL-3.0-or-later
#include "labreport.h"

#include "sessionrecord.h"

#include "bitplanes.h"
#include "builtinpictures.h"
#include "huffmanconstruction.h"
#include "namecode.h"
#include "odtwriter.h"
#include "pdfwriter.h"
#include "planereport.h"
#include "planesummary.h"
#include "reportchart.h"

#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>

#include <functional>

#include <cmath>

namespace {

using Cell = ReportDocument::Cell;
using Table = ReportDocument::Table;
using Row = QList<Cell>;

QString number(qint64 value)
{
    return QString::number(value);
}

// A figure as the report pane prints it ('g', 6 digits), with a decimal comma.
QString figure(float value)
{
    return ReportDocument::decimal(double(value));
}

int hiddenCount(const AnalysedPlane &plane)
{
    return int(qMin<qsizetype>(LabSession::hiddenRows, plane.statistics.codes.size()));
}

QString planeTitle(const AnalysedPlane &plane)
{
    if (plane.plane == 0)
        return QStringLiteral("Изображение «%1» целиком").arg(plane.picture);
    return QStringLiteral("Плоскость №%1 изображения «%2»")
        .arg(QString::number(plane.plane), plane.picture);
}

// Small pictures grow by whole pixels, so that the page shows every pixel as a square.
QImage enlarged(const QImage &image)
{
    const int side = qMax(image.width(), image.height());
    if (side <= 0 || side >= 400)
        return image;
    const int factor = qMax(1, 400 / side);
    return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// "все пять кодов", "оба кода", "код": how the hidden codes are counted in the text.
QString codesWord(int count)
{
    switch (count) {
    case 1:
        return QStringLiteral("скрытый код");
    case 2:
        return QStringLiteral("оба скрытых кода");
    case 3:
        return QStringLiteral("все три скрытых кода");
    case 4:
        return QStringLiteral("все четыре скрытых кода");
    default:
        return QStringLiteral("все пять скрытых кодов");
    }
}

QString verdictText(const AnalysedPlane &plane, bool key)
{
    const int hidden = hiddenCount(plane);
    if (key)
        return QStringLiteral("Модельный отчет преподавателя: %1 показаны верными.")
            .arg(codesWord(hidden));
    if (!plane.verdict)
        return QStringLiteral("Коды не проверялись: кнопка «Проверить коды» для этой плоскости "
                              "не нажималась.");
    const QString said = *plane.verdict ? QStringLiteral("верны") : QStringLiteral("неверны");
    if (!plane.verdictIsCurrent())
        return QStringLiteral("После последней проверки (она сказала: коды %1) коды изменены; "
                              "введенные сейчас коды не проверены.")
            .arg(said);
    if (*plane.verdict)
        return QStringLiteral("Проверка кодов: %1 верны.").arg(codesWord(hidden));
    return QStringLiteral("Проверка кодов: коды неверны (не все %1 совпали с кодами программы).")
        .arg(QString::number(hidden));
}

class Writer
{
public:
    explicit Writer(const LabReport::Input &input)
        : in(input)
    { }
    ReportDocument build();

private:
    void titlePage();
    void homework();
    void plane(const AnalysedPlane &plane);
    void comparison();
    Table typeTable(const AnalysedPlane &plane, int rows) const;

    const LabReport::Input &in;
    ReportDocument doc;
    int section = 0;
    QHash<qint64, int> pictureFigures; // a picture shown once, referred to afterwards
    QList<QPair<const AnalysedPlane *, int>> appendix; // planes and their table in the text
};

void Writer::titlePage()
{
    const ReportFields &f = in.fields;
    // Lines counted as the page will wrap them (about 72 characters a line, 32 beside the right
    // indent), so that long fields take from the gaps and the city and year stay at the foot of the
    // page.
    int lines = 0;
    auto line
        = [&](const QString &text, ReportDocument::Align align = ReportDocument::Align::Centre,
              bool bold = false) {
              doc.titleLine(text, align, bold);
              const int perLine = align == ReportDocument::Align::Right ? 32 : 72;
              lines += qMax(1, int((text.size() + perLine - 1) / perLine));
          };
    auto gap = [&](int wanted, int upTo) {
        const int n = qMax(0, qMin(wanted, upTo - lines));
        if (n > 0)
            doc.space(n);
        lines += n;
    };
    for (const QString &key : {ReportFields::ministry, ReportFields::university,
             ReportFields::faculty, ReportFields::department}) {
        if (!f.value(key).isEmpty())
            line(f.value(key));
    }
    gap(6, 6);
    line(QStringLiteral("ОТЧЁТ"), ReportDocument::Align::Centre, true);
    const QString labNumber = f.value(ReportFields::labNumber);
    line(labNumber.isEmpty() ? QStringLiteral("по лабораторной работе")
                             : QStringLiteral("по лабораторной работе №") + labNumber);
    line(QStringLiteral("«") + f.value(ReportFields::labTitle) + QStringLiteral("»"));
    if (!f.value(ReportFields::discipline).isEmpty())
        line(QStringLiteral("по дисциплине «") + f.value(ReportFields::discipline)
            + QStringLiteral("»"));
    if (in.variant)
        line(QStringLiteral("Вариант %1").arg(*in.variant));
    if (in.key)
        line(QStringLiteral("Модельный отчет преподавателя"));
    gap(4, 16);
    const QString group = f.value(ReportFields::group);
    line(group.isEmpty() ? QStringLiteral("Выполнил: студент")
                         : QStringLiteral("Выполнил: студент группы ") + group,
        ReportDocument::Align::Right);
    line(f.value(ReportFields::student), ReportDocument::Align::Right);
    line(QStringLiteral("Проверил:"), ReportDocument::Align::Right);
    line(f.value(ReportFields::teacher), ReportDocument::Align::Right);
    // The city and year at the foot of the page.
    gap(26, 26);
    const QString foot = QStringList {f.value(ReportFields::city), f.value(ReportFields::year)}
                             .filter(QRegularExpression(QStringLiteral("\\S")))
                             .join(QLatin1Char(' '));
    doc.titleLine(foot, ReportDocument::Align::Centre);
    doc.pageBreak();
}

void Writer::homework()
{
    doc.heading(QStringLiteral("%1 Домашнее задание").arg(++section));
    const HomeworkOutcome &h = in.homework;
    using Verdict = HomeworkOutcome::Verdict;
    if (h.verdict == Verdict::Skipped) {
        doc.paragraph(QStringLiteral(
            "Домашнее задание пропущено: переключатель стоял в положении «ПРОПУСТИТЬ», имя и "
            "список счетчиков длин кодов не вводились и не проверялись. Лабораторная работа "
            "выполнена на изображении из файла."));
        return;
    }
    if (h.verdict == Verdict::None || h.name.isEmpty()) {
        doc.paragraph(QStringLiteral("Домашнее задание не проверено: проверка в программе не "
                                     "выполнялась."));
        return;
    }
    doc.paragraph(QStringLiteral(
        "Задание: построить код Хаффмана для символов своего полного имени и записать список "
        "счетчиков длин кодов (сколько кодовых слов длины 1, 2, 3 и т. д.)."));
    const NameStatistics statistics = NameCode::analyse(h.name);
    // The construction the answer follows: the lab's floats, or exact fractions where the
    // student's answer is theirs.
    const bool exact = statistics.answersDiffer() && h.counters == statistics.exactCountersText;
    const HuffmanConstruction c = HuffmanConstruction::ofName(h.name,
        exact ? HuffmanConstruction::Arithmetic::Exact : HuffmanConstruction::Arithmetic::Float32);
    doc.paragraph(QStringLiteral("Полное имя: «%1». Символов в имени: %2, различных: %3 "
                                 "(пробел тоже символ).")
                      .arg(h.name, number(c.total), number(c.letters.size())));

    Table letters;
    letters.header = {QStringLiteral("Символ"), QStringLiteral("Количество"),
        QStringLiteral("Вероятность"), QStringLiteral("Вероятность, десятичная")};
    letters.widths = {2, 2, 2, 3};
    for (int i = 0; i < c.letters.size(); ++i) {
        const int count = c.nodes.at(i).count;
        letters.rows.append(Row {{c.nodeLabel(i)}, {number(count)}, {c.fractionText(count)},
            {PlaneReport::entropyLine(float(count) / float(c.total))}});
    }
    const int lettersTable = doc.table(
        QStringLiteral("Символы имени, их количество и вероятности (по возрастанию)"), letters);

    if (c.steps.isEmpty()) {
        doc.paragraph(QStringLiteral("В имени один различный символ: объединять нечего."));
    } else {
        doc.paragraph(QStringLiteral(
            "Код построен по шагам (таблица %1): на каждом шаге объединяются два узла наименьшей "
            "вероятности; из узлов равной вероятности берется стоящий в списке последним, а "
            "объединенный узел ставится в конец списка.")
                          .arg(lettersTable + 1));
        if (exact)
            doc.paragraph(QStringLiteral(
                "Ответ следует построению в точных дробях: программа в 32-битных числах с "
                "плавающей точкой на одном из шагов выбирает иначе, и проверка засчитывает оба "
                "ответа."));
        Table steps;
        steps.header
            = {QStringLiteral("Шаг"), QStringLiteral("Взят первым"), QStringLiteral("Взят вторым"),
                QStringLiteral("Новый узел"), QStringLiteral("Выбор среди равных")};
        steps.widths = {1, 3, 3, 4, 3};
        for (const HuffmanConstruction::Step &step : c.steps)
            steps.rows.append(Row {{number(c.nodes.at(step.merged).step)}, {c.nodeText(step.first)},
                {c.nodeText(step.second)}, {c.nodeText(step.merged)},
                {HuffmanConstruction::tieNote(step)}});
        doc.table(QStringLiteral("Построение кода Хаффмана по шагам"), steps);
    }
    Table codes;
    codes.header = {QStringLiteral("Символ"), QStringLiteral("Количество"),
        QStringLiteral("Вероятность"), QStringLiteral("Длина"), QStringLiteral("Кодовое слово")};
    codes.widths = {2, 2, 2, 2, 3};
    for (qsizetype i = 0; i < c.lengths.size(); ++i) {
        const SymbolLength &entry = c.lengths.at(i);
        codes.rows.append(
            Row {{c.nodeLabel(entry.symbol)}, {number(c.nodes.at(entry.symbol).count)},
                {c.fractionText(c.nodes.at(entry.symbol).count)}, {number(qMax(entry.length, 1))},
                {c.codes.value(i)}});
    }
    doc.table(QStringLiteral("Кодовые слова символов имени"), codes);
    doc.paragraph(QStringLiteral("Список счетчиков длин кодов (ответ): %1.").arg(h.counters));
    if (in.key)
        doc.paragraph(QStringLiteral("Ответ программы: %1.")
                          .arg(statistics.answers().join(QStringLiteral(" или "))));
    else if (h.verdict == Verdict::Right)
        doc.paragraph(QStringLiteral("Результат проверки в программе: ответ верный."));
    else
        doc.paragraph(QStringLiteral("Результат последней проверки в программе: ответ "
                                     "неверный."));
}

Table Writer::typeTable(const AnalysedPlane &plane, int rows) const
{
    const PlaneStatistics &s = plane.statistics;
    Table table;
    table.header = {QStringLiteral("№"), QStringLiteral("Тип блока"), QStringLiteral("Количество"),
        QStringLiteral("Вероятность"), QStringLiteral("Код Хаффмана"),
        QStringLiteral("Длина кода")};
    table.widths = {2, 3, 4, 5, 6, 3};
    const int hidden = hiddenCount(plane);
    for (int r = 0; r < rows && r < s.types.size(); ++r) {
        Cell code {s.codes.value(r)};
        if (r < hidden && !in.key) {
            // What the student typed, never the code the window hides.
            code.text = plane.typed.value(r);
            if (code.text.isEmpty())
                code.text = QStringLiteral("—");
            code.bold = true;
        }
        table.rows.append(Row {{number(r + 1)}, Cell(LabReport::blockImage(s.types.at(r).pattern)),
            {number(s.types.at(r).count)}, {PlaneReport::entropyLine(s.probabilities.at(r))}, code,
            {number(s.lengths.value(r).length)}});
    }
    return table;
}

void Writer::plane(const AnalysedPlane &p)
{
    const PlaneStatistics &s = p.statistics;
    doc.heading(QStringLiteral("%1 %2").arg(QString::number(++section), planeTitle(p)));
    const auto shown = pictureFigures.constFind(p.source.cacheKey());
    if (p.plane != 0 && shown == pictureFigures.cend()) {
        const int n = doc.figure(
            enlarged(p.source), QStringLiteral("Изображение «%1»").arg(p.picture), 110);
        pictureFigures.insert(p.source.cacheKey(), n);
    } else if (p.plane != 0) {
        doc.paragraph(QStringLiteral("Изображение показано на рисунке %1.").arg(*shown));
    }
    const int planeFigure = doc.figure(enlarged(p.image),
        p.plane == 0 ? QStringLiteral("Изображение «%1», анализ целиком").arg(p.picture)
                     : QStringLiteral("Битовая плоскость №%1 изображения «%2» (1 — старший бит)")
                           .arg(QString::number(p.plane), p.picture),
        110, true);
    doc.paragraph(QStringLiteral("Плоскость (рисунок %1) размером %2 × %3 пикселей разбита на "
                                 "блоки 3 × 3: %4 × %5 = %6 блоков; найдено %7 типов блоков.")
                      .arg(QString::number(planeFigure), number(s.width), number(s.height),
                          number(s.blockColumns), number(s.blockRows), number(s.total),
                          number(s.types.size())));

    const int rows = int(s.types.size()) <= LabReport::firstRows + 5 ? int(s.types.size())
                                                                     : LabReport::firstRows;
    QString caption = QStringLiteral("Типы блоков, их количество, вероятности и коды Хаффмана");
    if (rows < s.types.size())
        caption += QStringLiteral(" (первые %1 из %2)").arg(rows).arg(s.types.size());
    const int typeTable = doc.table(caption, this->typeTable(p, rows));
    if (rows < s.types.size() && in.fullTables)
        appendix.append({&p, typeTable});
    QString note = in.key ? QStringLiteral("Все коды показаны (модельный отчет).")
                          : QStringLiteral("Коды первых %1 строк скрыты программой; в таблице — "
                                           "коды, введенные студентом (выделены).")
                                .arg(hiddenCount(p));
    if (rows < s.types.size())
        note += in.fullTables ? QStringLiteral(" Полностью таблица приведена в приложении А.")
                              : QStringLiteral(" Остальные строки в отчет не включены.");
    doc.paragraph(note);

    // The hidden codes as typed, and what the last check said.
    Table typed;
    typed.header
        = {QStringLiteral("Строка"), QStringLiteral("Введенный код"), QStringLiteral("Длина кода")};
    typed.widths = {2, 5, 3};
    const int hidden = hiddenCount(p);
    for (int r = 0; r < hidden; ++r) {
        const QString text = in.key ? s.codes.value(r) : p.typed.value(r);
        typed.rows.append(Row {{number(r + 1)}, {text.isEmpty() ? QStringLiteral("—") : text},
            {number(s.lengths.value(r).length)}});
    }
    doc.table(QStringLiteral("Скрытые коды, как они введены"), typed);
    doc.paragraph(verdictText(p, in.key));

    // The report pane's figures.
    Table figures;
    figures.header = {QStringLiteral("Величина"), QStringLiteral("Значение")};
    figures.widths = {3, 2};
    figures.rows = {
        {{QStringLiteral("Число типов блоков")}, {number(s.types.size())}},
        {{QStringLiteral("Средняя длина кода L, бит/блок")}, {figure(s.averageLength)}},
        {{QStringLiteral("Количество блоков в плоскости")}, {number(s.total)}},
        {{QStringLiteral("Длина списка счетчиков кодов")}, {number(s.counters.size())}},
        {{QStringLiteral("Исходный размер плоскости, бит")}, {number(s.bits)}},
        {{QStringLiteral("Исходный размер плоскости, Кбайт")},
            {ReportDocument::decimal(s.kilobytes())}},
        {{QStringLiteral("Энтропия H, бит/блок")}, {figure(s.entropy)}},
    };
    doc.table(QStringLiteral("Результаты анализа плоскости"), figures);

    // The entropy and the average length worked out with their numbers.
    const int n = int(s.types.size());
    auto terms = [&](const std::function<QString(int)> &term) {
        QStringList list;
        if (n <= 6) {
            for (int i = 0; i < n; ++i)
                list << term(i);
        } else {
            list << term(0) << term(1) << term(2) << QStringLiteral("…") << term(n - 1);
        }
        return list.join(QStringLiteral(" + "));
    };
    doc.paragraph(QStringLiteral("Энтропия плоскости (сумма по всем %1 типам блоков, pᵢ — "
                                 "вероятность i-го типа):")
                      .arg(n));
    doc.formula(QStringLiteral("H = −Σ pᵢ · log₂ pᵢ = −(%1) = %2 бит/блок")
                    .arg(terms([&](int i) {
                        const QString p = PlaneReport::entropyLine(s.probabilities.at(i));
                        return p + QStringLiteral(" · log₂ ") + p;
                    }),
                        figure(s.entropy)));
    doc.paragraph(QStringLiteral("Средняя длина кода (lᵢ — длина кода i-го типа):"));
    doc.formula(QStringLiteral("L = Σ pᵢ · lᵢ = %1 = %2 бит/блок")
                    .arg(terms([&](int i) {
                        return PlaneReport::entropyLine(s.probabilities.at(i))
                            + QStringLiteral(" · ") + number(s.lengths.value(i).length);
                    }),
                        figure(s.averageLength)));
    const PlaneFigures f = PlaneSummary::of(s, p.plane);
    if (f.hasRatio()) {
        doc.paragraph(
            QStringLiteral("Средняя длина кода L = %1 бит/блок не меньше энтропии H = %2 "
                           "бит/блок (L − H = %3): код Хаффмана не короче предела, "
                           "который дает энтропия. Без кодирования блок 3 × 3 занимает "
                           "9 бит, так что сжатие 9 / L = %4.")
                .arg(figure(s.averageLength), figure(s.entropy),
                    ReportDocument::decimal(double(s.averageLength) - double(s.entropy), 'f', 4),
                    ReportDocument::decimal(PlaneSummary::ratioText(f))));
    } else {
        doc.paragraph(QStringLiteral("В плоскости один тип блока: L = 0 и H = 0, каждый блок "
                                     "кодируется 0 бит, и сжатие 9 / L не определено."));
    }
}

void Writer::comparison()
{
    if (in.comparedPlanes.front().isNull())
        return;
    QList<QImage> planes(in.comparedPlanes.cbegin(), in.comparedPlanes.cend());
    const QList<PlaneFigures> figures = PlaneSummary::of(planes);
    doc.heading(QStringLiteral("%1 Сравнение битовых плоскостей изображения «%2»")
                    .arg(QString::number(++section), in.comparedName));
    Table table;
    table.header = {QStringLiteral("Плоскость"), QStringLiteral("Типов блоков"),
        QStringLiteral("L, бит/блок"), QStringLiteral("H, бит/блок"),
        QStringLiteral("После кодирования, бит"), QStringLiteral("Сжатие 9/L")};
    table.widths = {3, 3, 3, 3, 4, 3};
    for (const PlaneFigures &f : figures) {
        QStringList fields = PlaneSummary::fields(f);
        table.rows.append(Row {{fields.at(0)}, {fields.at(1)},
            {ReportDocument::decimal(fields.at(2))}, {ReportDocument::decimal(fields.at(3))},
            {fields.at(4)}, {ReportDocument::decimal(fields.at(5))}});
    }
    const int t = doc.table(QStringLiteral("Сравнение восьми плоскостей"), table);
    const int chart = doc.figure(ReportChart::image(figures),
        QStringLiteral("Энтропия H и средняя длина кода L по плоскостям"), 160);
    doc.paragraph(QStringLiteral(
        "В таблице %1 и на рисунке %2 — энтропия H и средняя длина кода L каждой из восьми "
        "плоскостей (1 — старший бит), размер плоскости после кодирования и сжатие 9 / L.")
                      .arg(t)
                      .arg(chart));
}

ReportDocument Writer::build()
{
    const QString student = in.fields.value(ReportFields::student);
    doc.title = QStringLiteral("Отчет по лабораторной работе «%1»")
                    .arg(in.fields.value(ReportFields::labTitle));
    doc.author = student;
    doc.subject = in.fields.value(ReportFields::discipline);
    titlePage();

    doc.heading(QStringLiteral("Цель работы"));
    doc.paragraph(QStringLiteral(
        "Изучить эффективное (статистическое) кодирование по методу Хаффмана и цифровое "
        "представление полутоновых изображений: разложить изображение на битовые плоскости, "
        "разбить плоскость на блоки 3 × 3 пикселя, найти типы блоков и их вероятности, построить "
        "для них код Хаффмана и сравнить среднюю длину кода с энтропией плоскости."));
    homework();
    for (const AnalysedPlane &p : in.planes)
        plane(p);
    comparison();

    doc.heading(QStringLiteral("Выводы"));
    doc.space(8);

    if (!appendix.isEmpty()) {
        doc.pageBreak();
        doc.heading(QStringLiteral("Приложение А. Полные таблицы типов блоков"));
        for (const auto &[p, inText] : std::as_const(appendix)) {
            doc.table(QStringLiteral("%1: все типы блоков (начало — в таблице %2)")
                          .arg(planeTitle(*p), QString::number(inText)),
                typeTable(*p, int(p->statistics.types.size())));
        }
    }

    doc.dataParts.append({LabReport::dataPartPath(), QStringLiteral("application/json"),
        LabReport::sessionData(in)});
    return doc;
}

} // namespace

LabReport::Input LabReport::fromSession(const LabSession &session, const QList<int> &included,
    const ReportFields &fields, bool fullTables)
{
    Input input;
    input.fields = fields;
    input.homework = session.homework();
    for (const int index : included) {
        if (index >= 0 && index < session.analysed().size())
            input.planes.append(session.analysed().at(index));
    }
    if (!session.planes().front().isNull()) {
        input.comparedName = session.planesName();
        input.comparedPlanes = session.planes();
    }
    input.variant = session.variant();
    input.fullTables = fullTables;
    return input;
}

LabReport::Input LabReport::model(const QString &name, const QImage &picture,
    const QString &pictureName, const QList<int> &planeNumbers, const ReportFields &fields,
    bool fullTables)
{
    Input input;
    input.fields = fields;
    input.fields.set(ReportFields::student, name);
    input.key = true;
    input.fullTables = fullTables;
    input.homework.verdict = HomeworkOutcome::Verdict::Right;
    input.homework.name = name;
    input.homework.counters = NameCode::countersText(name);
    input.homework.kind = QStringLiteral("right");
    const QList<QImage> planes = BitPlanes::split(picture);
    if (planes.size() != LabSession::planeCount)
        return input;
    for (int i = 0; i < LabSession::planeCount; ++i)
        input.comparedPlanes[size_t(i)] = planes.at(i);
    input.comparedName = pictureName;
    for (const int number : planeNumbers) {
        if (number < 1 || number > LabSession::planeCount)
            continue;
        AnalysedPlane plane;
        plane.picture = pictureName;
        plane.plane = number;
        plane.image = planes.at(number - 1);
        plane.source = picture;
        plane.statistics = PlaneStatistics::of(plane.image);
        plane.typed = plane.statistics.codes.mid(0, hiddenCount(plane));
        plane.verdict = true;
        plane.checkedTyped = plane.typed;
        input.planes.append(plane);
    }
    return input;
}

ReportDocument LabReport::document(const Input &input)
{
    return Writer(input).build();
}

QByteArray LabReport::sessionData(const Input &input)
{
    // The same record the saved results carry, so that the key tool reads both alike.
    SessionRecord record;
    record.name = input.homework.name.isEmpty() ? input.fields.value(ReportFields::student)
                                                : input.homework.name;
    record.homework = input.homework.verdict;
    record.counters = input.homework.counters;
    record.kind = input.homework.kind;
    record.variant = input.variant;
    for (const AnalysedPlane &plane : input.planes)
        record.planes.append(SessionRecord::planeOf(plane));
    return record.toJson();
}

LabReport::Format LabReport::formatOf(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0
        ? Format::Pdf
        : Format::Odt;
}

QByteArray LabReport::write(const ReportDocument &document, Format format)
{
    return format == Format::Pdf ? PdfWriter::write(document) : OdtWriter::write(document);
}

FileSaver::Result LabReport::save(const QString &path, const ReportDocument &document)
{
    const QByteArray bytes = write(document, formatOf(path));
    if (bytes.isEmpty())
        return {path, QStringLiteral("Не удалось составить файл отчета.")};
    return FileSaver::save({{path, bytes}});
}

QImage LabReport::blockImage(int pattern)
{
    // One image a pattern, shared by every table: the files store each picture once.
    static std::array<QImage, 512> cache;
    QImage &image = cache[size_t(pattern & 511)];
    if (!image.isNull())
        return image;
    const int cell = 12;
    image = QImage(3 * cell + 1, 3 * cell + 1, QImage::Format_RGB32);
    image.fill(QColor(0x99, 0x99, 0x99));
    QPainter painter(&image);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const bool black = pattern & (1 << (y * 3 + x));
            painter.fillRect(
                x * cell + 1, y * cell + 1, cell - 1, cell - 1, black ? Qt::black : Qt::white);
        }
    }
    return image;
}
