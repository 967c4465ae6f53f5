#include "controls/TrackBar.h"

#include <memory>

#include "dispatch/GuardedDispatch.h"

TTrackBar::TTrackBar()
    : TWinControl(std::make_unique<QSlider>(Qt::Horizontal), true), slider_(static_cast<QSlider*>(Widget()))
{
    // A new Windows track bar: 0..10, a tick at every step, a page of 2.
    slider_->setRange(0, 10);
    slider_->setTickInterval(1);
    slider_->setSingleStep(1);
    slider_->setPageStep(2);
    ApplyTickPosition();
    SetBounds(0, 0, 150, 45); // its size at 96 pixels per inch
    QObject::connect(slider_, &QSlider::valueChanged, slider_, [this] {
        if (!changingByProgram_)
            DispatchGuarded(this, [this] { Change(); });
    });
}

template <typename Setting> void TTrackBar::ChangeByProgram(Setting setting)
{
    int was = Position();
    changingByProgram_ = true;
    setting();
    changingByProgram_ = false;
    if (Position() != was)
        Change();
}

void TTrackBar::SetMin(int min)
{
    ChangeByProgram([&] { slider_->setMinimum(min); });
}

void TTrackBar::SetMax(int max)
{
    ChangeByProgram([&] { slider_->setMaximum(max); });
}

void TTrackBar::SetPosition(int position)
{
    ChangeByProgram([&] { slider_->setValue(position); });
}

void TTrackBar::SetFrequency(int frequency) { slider_->setTickInterval(frequency); }

void TTrackBar::SetTickMarks(TTickMark tickMarks)
{
    tickMarks_ = tickMarks;
    ApplyTickPosition();
}

void TTrackBar::ApplyTickPosition()
{
    static const QSlider::TickPosition positions[] = {QSlider::TicksBelow, QSlider::TicksAbove, QSlider::TicksBothSides};
    slider_->setTickPosition(positions[tickMarks_]);
}

// Turning the bar turns its bounds with it.
void TTrackBar::SetOrientation(TTrackBarOrientation orientation)
{
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    SetBounds(Left(), Top(), Height(), Width());
    bool vertical = orientation == trVertical;
    slider_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    // Qt puts a vertical slider's minimum at the bottom; keys follow the look.
    slider_->setInvertedAppearance(vertical);
    slider_->setInvertedControls(vertical);
}

void TTrackBar::Change()
{
    if (OnChange)
        OnChange(this);
}
