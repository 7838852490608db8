#pragma once

#include <QPointer>

#include "QtDialogProvider.h"

class CBrowserLauncher;

// The desktop of the program: Qt's dialogs, and documents opened in a browser the program
// starts itself (CBrowserLauncher), which says when no program could be started for one.
class CShellDesktop final : public CQtDialogProvider {
public:
    bool OpenUrl(const QUrl& url) override;

private:
    QPointer<CBrowserLauncher> launcher;
};
