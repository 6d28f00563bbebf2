// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One lab of a group: a built-in picture and one of its planes. The student numbered k in the
// group's list does variant k.
struct Variant
{
    int number = 0; // from 1
    QString picture; // the built-in picture's name, as the picture list shows it
    int plane = 0; // 1 (most significant bit) to 8
};

// What a variant's student finds and hands in, computed from the picture: the report's figures
// and the hidden codes.
struct VariantAnswers
{
    Variant variant;
    bool read = false; // the picture was read and split; nothing below is known otherwise
    int typeCount = 0;
    QString averageLength; // L, as the report prints it
    QString entropy; // H, as the report prints it
    QStringList codes; // the hidden codes, most frequent block type first
};

// The fixed table of variants. It is data, not a setting: a teacher's key, a student's window
// and a marker's recomputation must agree on it, today and next year.
class Variants
{
public:
    // Every variant, by number from 1 without gaps.
    static const QList<Variant> &all();
    static int count();
    // None outside 1..count().
    static std::optional<Variant> variant(int number);
    // The variant of the student at position 1, 2, ... of a group's list: after the last
    // variant the numbering starts again at 1.
    static int forStudent(int position);

    // Reads the picture from the program's resources; read is false where they are not linked
    // in.
    static VariantAnswers answers(const Variant &variant);
    // Every variant's answers, in the table's order, each picture read and split once.
    static QList<VariantAnswers> allAnswers();

    // Number, picture, plane, block types, L, H and the five hidden codes (an empty field for a
    // code the plane lacks): the key tool's columns.
    static QStringList fields(const VariantAnswers &answers);
    static QStringList fieldTitles();

    // The variant number in text, as a teacher types it: "12". Why not, in Russian, when the text
    // is no number of the table.
    static std::optional<Variant> parse(const QString &text, QString *error);
    // Why a picture and plane given beside a variant do not agree with it; empty when they do.
    // A plane of 0 stands for none given.
    static QString disagreement(const Variant &variant, const QString &picture, int plane);
};
