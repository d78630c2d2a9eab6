#pragma once

class QString;
class QWidget;

namespace kest {

// The width a window manager's title bar needs to show `title` whole: the text in
// the title-bar font (bold, never smaller than the application's font) plus room
// for the icon and the window buttons.
int TitleBarWidth(const QString& title);

// Sizes a window to its title and its contents: at least TitleBarWidth of its
// title (up to the screen's width) and the layout's size hint; a size set earlier
// only grows. Called at the end of a dialog's constructor, and again when the
// title changes.
void FitToTitle(QWidget& window);

}  // namespace kest
