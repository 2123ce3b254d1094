// Fonts of the toolkit: the application's face at a pixel size in one of the markup styles.
#pragma once

#include <QFont>

#include "app/qt/markup.h"

QFont Toolkit_Font(int pixel_size, Font_Style style = Font_Style::Regular);
