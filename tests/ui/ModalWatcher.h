#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace telmaq::test {

// Acts on each modal dialog that opens, from inside its modal run, and notes its caption. The
// action is taken again while the dialog stays open, so a dialog that should have closed and
// did not fails the test instead of hanging it.
struct ModalWatcher
{
    explicit ModalWatcher(std::function<void(QDialog*)> act)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen.push_back(modal->windowTitle().toStdString());
                act(modal);
            }
        });
        timer.start(5);
    }
    std::vector<std::string> seen;
    QTimer timer;
};

} // namespace telmaq::test
