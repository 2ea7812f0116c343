#pragma once
// A clickable area without a picture of its own, laid over a window's
// background art. It never takes the keyboard focus, so pressing it does not
// end the editing of a field.

#include <QWidget>

class HotSpot : public QWidget {
    Q_OBJECT
public:
    explicit HotSpot(QWidget* parent = nullptr);

Q_SIGNALS:
    // A mouse button released over the area after being pressed on it.
    void released(Qt::MouseButton button);
    // The same for the left button only.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
