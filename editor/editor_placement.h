// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the editor window opens on the screen, decided from rectangles alone
// so that it can be checked without a screen. All places are screen pixels.

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace sg {

// The editor's usual place, the top left corner of its client area, used
// where the screen is too short to open it below the main window's picture.
inline constexpr QPoint kEditorUsualPlace{4, 146};

// The top left corner of the editor's client area. `mainClientOrigin` is
// where the main window's client (0, 0) lies, `available` the screen's
// available geometry, `editorSize` the editor's client size and `frame` the
// margins its frame adds around it.
//
// Below the picture when the whole editor with its frame fits on the
// available geometry there without covering the mirror disk (main window
// client rows up to 575): the frame's top as low as the picture area
// reaches (client y = 700) or, where the screen ends sooner, as low as the
// screen allows, but not above client y = 580, the top of the profile
// graphs. The client's left 4 pixels right of the main window's client
// left, moved only as far as needed to keep the frame on the screen.
// Otherwise the usual place.
QPoint editorWindowPlace(QPoint mainClientOrigin, const QRect& available, QSize editorSize, QMargins frame);

// True when a remembered rectangle lies wholly on the screens (their
// geometries), one or several: a place the window can be shown at again.
bool placeOnScreens(const QRect& place, const QList<QRect>& screens);

}  // namespace sg
