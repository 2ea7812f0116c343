#pragma once
// The member's photo on the registration screen. A plain QLabel to anyone
// who sets or clears its picture (the camera screen finds it by its name);
// it paints the picture scaled to fit, keeping its proportions, and paints
// nothing at all when it has none, so the frame drawn behind it shows.

#include <QLabel>

class PhotoView : public QLabel {
    Q_OBJECT
public:
    explicit PhotoView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
