// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmanconstruction.h"

#include <QPointF>
#include <QWidget>

#include <vector>

class QPaintEvent;

// The code tree as the construction merged it, root on the left: every inner node is one step
// (its count, and the step's number above it), with the node taken second above and the node
// taken first below; every leaf is a character with its count, in the column of its depth, which
// is its code length.
class CodeTreeView : public QWidget
{
    Q_OBJECT

public:
    explicit CodeTreeView(const HuffmanConstruction &construction, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    // Centre of a node of the construction, in widget coordinates.
    QPointF nodeCentre(int node) const { return centres.at(size_t(node)); }

    // "␣" for the space, so that it can be seen.
    static QString characterText(QChar character);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString leafText(int node) const;

    HuffmanConstruction construction;
    std::vector<QPointF> centres;
    int depth = 0; // of the deepest leaf
    int leafWidth = 0; // of the widest leaf label
};
