#pragma once

class QWidget;

namespace framework {

// The window that owns every box the program opens: the main window, once it exists. Held
// weakly: a destroyed window owns nothing.
void setBoxOwner(QWidget *window);
QWidget *boxOwner();

// Makes `box` (a top-level widget not yet shown) a box of the owner: a dialog transient for
// it, kept above it (on top of other windows too when the owner is) and centred on it each
// time it is shown. The owner then also destroys it. Without an owner nothing changes.
// For every box: the program's message boxes, the About box, the page's own dialogs.
void ownBox(QWidget *box);

// Centres the frame of the top-level `window` on that of `over`, within `over`'s screen. A
// window not yet framed by the window manager is taken to get the frame `over` has.
void centreOn(QWidget *window, const QWidget *over);

} // namespace framework
