// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

class QTableWidget;

// What the student typed into the hidden code cells, and the verdict of the last check, for
// every plane of every picture seen in this session: turning the dial away and back, or choosing
// the same picture again, rebuilds the table, and the typed codes must come back with it, in the
// colour their last check gave them.
class TypedCodes
{
public:
    // A picture by the name the report gives it, and its plane (0 = most significant bit);
    // wholePicture for a picture analysed as it is.
    struct Plane
    {
        QString picture;
        int plane = wholePicture;
    };
    static constexpr int wholePicture = -1;

    // Before the table is refilled: keeps what its first hiddenRows code cells hold, under the
    // plane the table showed.
    void keep(const QTableWidget &table, int hiddenRows, int codeColumn);
    // After: the table now shows `shown` (nothing known when empty), and the texts typed for it
    // earlier go back into their cells. Returns the verdict of the plane's last check, if it had
    // one; the caller colours the cells.
    std::optional<bool> restore(
        QTableWidget &table, int hiddenRows, int codeColumn, const std::optional<Plane> &shown);
    // The check of the plane shown found all codes right or not.
    void checked(bool right);
    // The verdict in words, for `codes` checked codes (five, fewer on a plane of few types).
    static QString verdictText(bool right, int codes);

private:
    using Key = QPair<QString, int>;
    struct Work
    {
        QStringList texts;
        std::optional<bool> verdict;
    };
    std::optional<Key> shownKey;
    QHash<Key, Work> typed;
};
