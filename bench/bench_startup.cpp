// Start-up cost of Ringlet against a bare Qt dialog of the same size. Run with
// "ringlet" or "bare"; the process writes "shown" to its standard output once
// its window has been shown and the event loop has drawn it, then closes it and
// ends. The caller times both moments and reads the peak memory of the process.
#include "app/RingletApp.h"
#include "ui/DialogUnits.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
// Closes the first dialog that is shown, once the event loop has drawn it.
class CloseWhenShown : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && event->type() == QEvent::Show && !m_done) {
            m_done = true;
            QTimer::singleShot(0, dialog, [dialog] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                dialog->close();
            });
        }
        return false;
    }

private:
    bool m_done = false;
};
} // namespace

int main(int argc, char** argv)
{
    CloseWhenShown closer;
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        QApplication app(argc, argv);
        app.installEventFilter(&closer);
        QDialog dialog;
        const DialogUnits du(dialog.font());
        dialog.setFixedSize(du.x(233), du.y(26));
        dialog.setWindowTitle(QStringLiteral("Ringlet"));
        return dialog.exec() >= 0 ? 0 : 1;
    }
    CRingletApp app(argc, argv);
    app.installEventFilter(&closer);
    return app.InitInstance();
}
