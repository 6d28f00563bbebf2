// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkittranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool ToolkitTranslation::install(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(
            QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
