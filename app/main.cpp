// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const QApplication application(argc, argv);
    int result = 0;
    {
        // The window must go before the application object.
        MainWidget window;
        window.show();
        result = QApplication::exec();
    }
    return result;
}
