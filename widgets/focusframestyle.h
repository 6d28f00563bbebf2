// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

// The application's style, with a visible focus frame on flat push buttons: the styles draw a
// flat button's focus faintly or not at all, so an icon button that took a click gave no sign
// of being the one Space or Return would press.
class FocusFrameStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit FocusFrameStyle(QObject *parent);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
};
