#pragma once

#include <QStringList>

#include <memory>
#include <vector>

class QTranslator;

// The folders Qt's own translations are looked up in, in this order: the
// program's folder (where the Windows build puts them) and Qt's
// translations folder (where an installed Linux build finds them).
QStringList qtTranslationFolders();

// Loads Qt's Russian translation of its own texts (standard buttons, file
// dialog) and installs it in the application: qtbase_ru.qm, then qt_ru.qm,
// which loads only where the catalogues it refers to lie beside it. Each
// comes from the first folder that has a loadable copy. A file found
// nowhere leaves those texts in English. The translators uninstall
// themselves when destroyed.
std::vector<std::unique_ptr<QTranslator>> installQtTranslations(
    const QStringList& folders = qtTranslationFolders());

// What main does before it shows the window: names the program for its
// settings and installs Qt's Russian texts.
std::vector<std::unique_ptr<QTranslator>> prepareViewerApplication();
