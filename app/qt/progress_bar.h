// The progress bar's picture in a QImage (the arithmetic is shared: app/ui/progress_bar.h).
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include "app/ui/progress_bar.h"

QImage Bar_Image(QSize size, int position, int maximum, QColor background);
