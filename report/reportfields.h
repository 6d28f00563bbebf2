// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The title page's fields: what the report dialog asks and the key tool takes as
// --field KEY=VALUE. Kept in memory only: lab computers are shared, so nothing here is saved.
class ReportFields
{
public:
    struct Field
    {
        QString key; // as --field names it: "университет"
        QString label; // as the dialog asks it: "Университет"
        QString defaultValue;
    };

    static const QString ministry;
    static const QString university;
    static const QString faculty;
    static const QString department;
    static const QString labNumber;
    static const QString labTitle;
    static const QString discipline;
    static const QString group;
    static const QString student;
    static const QString teacher;
    static const QString city;
    static const QString year;

    // Every field, in the order of the title page.
    static QList<Field> fields();
    static bool isKey(const QString &key);

    // The value set, or the field's default.
    QString value(const QString &key) const;
    void set(const QString &key, const QString &value) { values.insert(key, value); }

private:
    QHash<QString, QString> values;
};
