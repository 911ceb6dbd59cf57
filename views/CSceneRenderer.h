#pragma once

#include "views/Object2D.h"

#include <QRectF>

#include <optional>

class QPainter;

// The one renderer of vector scenes: screen, PNG, SVG, PDF and printing all
// draw through DrawObject.
//
// Angles run clockwise from three o'clock; Fill and Border are opacities in
// percent; polygons are closed here; text is anchored at its horizontal centre
// and baseline. Drawing is antialiased.
//
// Dense circular maps are drawn faster without changing what the eye sees:
// a run of consecutive wedges and radial hairlines around one centre is
// resolved angle by angle (the last one wins, as when painted in order) and
// drawn as a few ring sectors; the part a later opaque disc of the same
// group will cover is not painted. On raster devices (screen, images) shapes
// and small groups wholly outside the visible area are skipped. Of a run of
// pins (line and head), those that land within a sixteenth of a device pixel
// of each other in the same look are drawn once: the last, the one on top.
// On 32-bit RGB and ARGB images, opaque one-colour lines, arrows (groups of up
// to three such lines), plain filled rectangles and names are left out where
// every pixel they could ink already holds their colour to within two levels
// of 255 (on a partly transparent premultiplied image: shows it so over any
// background): stacked thousands deep on a crowded map, painting them would
// change no pixel by more than that. Of a name only its glyphs that lie on such
// pixels are left out. The scene itself is never changed.
class CSceneRenderer
{
public:
    enum class Stacked { LeaveOutSettled, PaintAll };

    // Draws `object` so that its scene point (px, py) lands on the painter's
    // point (x + px, y + py). The painter's state is left as it was found.
    // PaintAll paints every stacked shape, for comparing with.
    static void DrawObject(QPainter& painter, const Object2D& object, double x = 0, double y = 0,
                           Stacked stacked = Stacked::LeaveOutSettled);
    // A box, in the coordinates `object` is placed in, holding every pixel
    // DrawObject paints of it but for antialiasing's last two pixels; names are
    // measured for it. Empty when some coordinate is not a finite number.
    static std::optional<QRectF> PaintedArea(const Object2D& object);
};
