// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Qt's own Russian texts for its standard dialogs and buttons (the file dialog's "Папка",
// "Открыть", "Отмена", the message box's buttons, the line edit's context menu), from the
// qtbase_ru catalogue that Debian ships in qt6-translations-l10n. The program's own texts are
// Russian already and are not translated: the catalogue holds no context of this program.
class ToolkitTranslation
{
public:
    // Installs the catalogue on the application; false when it is not on this machine, and the
    // dialogs then stay in English.
    static bool install(QCoreApplication &application);
};
