// TTrackBar: a slider over a range of whole numbers, with tick marks.
// Position stays within Min..Max; OnChange fires whenever it changes, by
// the user's keys or mouse (guarded) or by the program (directly, so an
// exception reaches the caller), as with the standard controls.
#pragma once

#include <string>

#include <QSlider>

#include "controls/Controls.h"

enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public TWinControl {
public:
    TTrackBar();
    std::string ClassName() const override { return "TTrackBar"; }

    int Min() const { return slider_->minimum(); }
    // Moves Position into the new range when it falls outside.
    void SetMin(int min);
    int Max() const { return slider_->maximum(); }
    void SetMax(int max);
    int Position() const { return slider_->value(); }
    // Clamped to Min..Max.
    void SetPosition(int position);
    // Steps between tick marks.
    int Frequency() const { return slider_->tickInterval(); }
    void SetFrequency(int frequency);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark tickMarks);
    TTrackBarOrientation Orientation() const { return orientation_; }
    // Vertical track bars have Min at the top.
    void SetOrientation(TTrackBarOrientation orientation);

    void Change();
    TNotifyEvent OnChange;

private:
    // Runs a change of the slider made by the program, then fires OnChange
    // directly when the position moved.
    template <typename Setting> void ChangeByProgram(Setting setting);
    void ApplyTickPosition();

    QSlider* slider_;
    TTickMark tickMarks_ = tmBottomRight;
    TTrackBarOrientation orientation_ = trHorizontal;
    bool changingByProgram_ = false;
};
