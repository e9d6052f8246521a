// The transfer window's bar: one step per page, in the colour the transfer gives it (the palette's
// highlight). Drawn flat: it is repainted with every page, and the styles' shaded, rounded bars cost the
// processor far more than a read of a page does.
#pragma once

#include <QProgressBar>

namespace vantrel {

class PageBar : public QProgressBar {
    Q_OBJECT
public:
    explicit PageBar(QWidget* parent = nullptr);

    // Sets the value, painted with the window's next paint instead of at once as setValue does: the line
    // under the bar changes with it, and both are painted in one go.
    void setPosition(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The part of the inside of the bar that the value fills.
    QRect filledPart(int value) const;
};

} // namespace vantrel
