#pragma once
// What a book's views ask of the program around them: the display settings
// in force, whether large photographs are centred, the status bar, and their
// context menus. The viewer hands one to each view it makes; a view without
// one (in a test) reads the stored settings and shows no menu.

#include "app/CommandTable.h"
#include "model/PhotoNode.h"

class QPoint;
class QString;
class QWidget;

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual DisplaySettings LiveDisplaySettings() const = 0;
    virtual bool CenterLargePhotos() const = 0;
    virtual void ShowStatusMessage(const QString& text) = 0;
    // Shows the context menu `index` for `owner` at `globalPos` until the user is done with it.
    virtual void TrackContextMenu(ContextMenuIndex index, QWidget* owner, const QPoint& globalPos) = 0;

protected:
    ViewHost() = default;
    ViewHost(const ViewHost&) = default;
    ViewHost& operator=(const ViewHost&) = default;
};
