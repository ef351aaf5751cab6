#include "ui/framework/DesktopOpener.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/qt/DialogWindow.h"

#include <QCoreApplication>
#include <QProcess>

namespace telmaq {

void openWithDesktop(Dialog& owner, const std::string& path, std::function<void()> onFailure)
{
    // The desktop's opener answers only once it has handed the file on (or failed to); the
    // window does not wait for it.
    auto* opener = new QProcess(qtWindow(owner));
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, onFailure](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            onFailure();
            opener->deleteLater();
        }
    });
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, onFailure](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             onFailure();
                         opener->deleteLater();
                     });
    opener->start(QStringLiteral("xdg-open"), {QString::fromStdString(path)});
}

std::string programFilePath()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

} // namespace telmaq
