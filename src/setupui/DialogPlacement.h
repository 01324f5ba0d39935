#pragma once
// Places the setup program's windows where users look for them: a dialog in
// the middle of the window it belongs to (the wizard), a window of its own in
// the middle of the screen. It happens once the window is laid out, just
// before it appears, counting the window manager's frame; when that frame
// turns out other than reckoned, once more as soon as it is known.

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

class DialogPlacement : public QObject {
    Q_OBJECT
public:
    // Watches every dialog of the application while it lives.
    DialogPlacement();
    ~DialogPlacement() override;

    // Centres `window`, whose frame has the margins `frame`, on the window
    // `over`, or on the screen when `over` is null; never partly off the screen.
    // `size` stands for the window's own size where that is not to be trusted.
    static void Centre(QWidget& window, const QWidget* over, const QMargins& frame, QSize size = QSize());

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The dialog between its widget's show and its window's.
    QPointer<QWidget> m_pShowing;
    // Dialogs placed before their frame was known, with the margins reckoned
    // and the size they were laid out to.
    struct Framing {
        QPointer<QWidget> window;
        QMargins reckoned;
        QSize size;
    };
    std::vector<Framing> m_framing;
};
