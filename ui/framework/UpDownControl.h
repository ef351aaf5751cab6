#pragma once

namespace telmaq {

// A pair of arrows that steps the integer shown in its buddy edit, stopping at the ends of
// its range. The up arrow and the Up key count up, the down arrow and the Down key count down.
class UpDownControl
{
public:
    virtual ~UpDownControl() = default;

    virtual void setRange(int lower, int upper) = 0;
    virtual int lower() const = 0;
    virtual int upper() const = 0;

    // Steps the buddy's value by delta, clamped to the range. A buddy that holds no number
    // starts from the last position the control set.
    virtual void stepBy(int delta) = 0;
};

} // namespace telmaq
