#pragma once

#include "ui/framework/DialogTemplate.h"

#include <QSize>

#include <vector>

class QWidget;

namespace telmaq {

// Builds the controls of a template inside parent, in template order, at their places in
// pixels. Returns one widget per template control, in the same order.
std::vector<QWidget*> buildControls(const DialogTemplate& dialogTemplate, QWidget* parent, const QSize& baseUnits);

} // namespace telmaq
