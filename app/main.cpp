// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"
#include "toolkittranslation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Before the window: a translator installed later would send it a LanguageChange.
    ToolkitTranslation::install(application);
    int result = 0;
    {
        // The window must go before the application object.
        MainWidget window;
        window.show();
        result = QApplication::exec();
    }
    return result;
}
