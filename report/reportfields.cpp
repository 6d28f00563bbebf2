// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportfields.h"

#include <QDate>

const QString ReportFields::ministry = QStringLiteral("министерство");
const QString ReportFields::university = QStringLiteral("университет");
const QString ReportFields::faculty = QStringLiteral("факультет");
const QString ReportFields::department = QStringLiteral("кафедра");
const QString ReportFields::labNumber = QStringLiteral("номер");
const QString ReportFields::labTitle = QStringLiteral("тема");
const QString ReportFields::discipline = QStringLiteral("дисциплина");
const QString ReportFields::group = QStringLiteral("группа");
const QString ReportFields::student = QStringLiteral("студент");
const QString ReportFields::teacher = QStringLiteral("проверил");
const QString ReportFields::city = QStringLiteral("город");
const QString ReportFields::year = QStringLiteral("год");

QList<ReportFields::Field> ReportFields::fields()
{
    return {
        {ministry, QStringLiteral("Министерство"),
            QStringLiteral("Министерство науки и высшего образования Российской Федерации")},
        {university, QStringLiteral("Университет"), {}},
        {faculty, QStringLiteral("Факультет"), {}},
        {department, QStringLiteral("Кафедра"), {}},
        {labNumber, QStringLiteral("Номер работы"), {}},
        {labTitle, QStringLiteral("Тема работы"),
            QStringLiteral("Эффективное кодирование и цифровое представление изображений")},
        {discipline, QStringLiteral("Дисциплина"), {}},
        {group, QStringLiteral("Группа"), {}},
        {student, QStringLiteral("Студент (ФИО)"), {}},
        {teacher, QStringLiteral("Проверил"), {}},
        {city, QStringLiteral("Город"), {}},
        {year, QStringLiteral("Год"), QString::number(QDate::currentDate().year())},
    };
}

bool ReportFields::isKey(const QString &key)
{
    const QList<Field> all = fields();
    return std::any_of(
        all.cbegin(), all.cend(), [&](const Field &field) { return field.key == key; });
}

QString ReportFields::value(const QString &key) const
{
    const auto set = values.constFind(key);
    if (set != values.cend())
        return *set;
    const QList<Field> all = fields();
    for (const Field &field : all) {
        if (field.key == key)
            return field.defaultValue;
    }
    return {};
}
