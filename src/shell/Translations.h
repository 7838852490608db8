#pragma once

#include <QList>
#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

// Installs the translations of the first of the locale's languages that the program speaks (see
// LANG and LANGUAGE) into the application: the program's (pagelorn_LANG.qm from `folder`) and Qt's
// own (qtbase_LANG from Qt's translations folder, for the buttons and dialogs Qt makes). English,
// or no language with a translation, installs nothing. Returns the translators installed, owned
// by the application.
QList<QTranslator*> InstallTranslations(QCoreApplication& app, const QLocale& locale,
                                        const QString& folder);
