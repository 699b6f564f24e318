#pragma once
// The frames in which the side panels (element library, project tree,
// inspector, log panel) float: QDockWidgets of the main window.
//   TCustomDockFormEx: deferred visibility (WantedVisible, applied once by a
//     100 ms one-shot timer), the caption taken from its client, and every
//     change of a floating frame recorded in the floating registry (TFloatTreeCep).
//   TCustomDockFormCep: the same with a caption bar of its own while it floats
//     (thin frame, gradient caption, small-caption font, close cross), painted
//     by TDockCaptionCep, its title-bar widget.
// Which title bar a frame shows is its kind, given by the site it belongs to:
// 0 the desktop's own frame, 1 the painted caption (and, docked, the site's
// slim grabber), 2 Qt's own title bars throughout.

#include "configurator/windows/DockStreams.h"

#include <QDockWidget>
#include <QRect>

#include <cstdint>
#include <optional>

namespace zo::configurator {

class TDockCaptionCep;
class TFloatTreeCep;
class TDockGrabberCep;

// Outline colours of the gradient box besides a plain 0x00BBGGRR colour.
inline constexpr uint32_t kOutlineAveraged = 0x20000000;  // (A + B) div 3 in each channel
inline constexpr uint32_t kOutlineNone = 0x1FFFFFFF;

// A rectangle of the gradient boxes: Right and Bottom lie just outside it.
struct TEdges {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TEdges&) const = default;
};

// Fills the box (less one pixel each side) with A, or a two-colour gradient
// from A to B (top to bottom, or left to right when leftToRight), and draws the
// outline with its corners cut by cut pixels. On a canvas of fewer than 16
// bits a pixel, B is A.
void GradientBox(class QPainter& painter, const TEdges& box, int cut, bool leftToRight, uint32_t outline,
                 const class QColor& a, const class QColor& b);

// The caption and close cross of a floating frame in window coordinates.
struct TCaptionGeometry {
    TEdges Caption;
    TEdges Close;
    bool HasClose = false;
};
TCaptionGeometry CaptionGeometry(int windowWidth, int windowHeight, int clientWidth, int clientHeight,
                                 int captionHeight, bool hasSystemMenu);

// Holds a floating rectangle at least half on a screen of the given size.
TEdges KeepOnScreen(TEdges r, int screenWidth, int screenHeight);

class TCustomDockFormEx : public QDockWidget {
    Q_OBJECT
public:
    // floatTree records where the form floats; it outlives the form.
    explicit TCustomDockFormEx(TFloatTreeCep& floatTree, QWidget* parent = nullptr);
    ~TCustomDockFormEx() override;
    TFloatTreeCep& FloatTree() const { return floatTree_; }

    // The visibility the frame takes when the one-shot timer next fires.
    uint8_t WantedVisible = 0;
    void SetWantedVisible(uint8_t value);

    // The panel it holds; the first one gives the caption (up to a line break).
    // Outside restoring the frame is shown.
    void AddDockClient(QWidget* client);
    // Floats the frame where its panel floated last (held on the screen), or
    // where Qt puts it when the panel never floated. A panel floated by the
    // user shows; one a dock tree floats while restoring takes the visibility
    // its record gives it.
    void Refloat();
    QWidget* DockClient() const { return widget(); }

    // The kind of title bar floating (0, 1, 2) and of the site it is docked in.
    int FloatKind() const { return floatKind_; }
    void SetFloatKind(int kind);
    int SiteKind() const { return siteKind_; }
    void SetSiteKind(int kind, bool verticalGrabber);

    // While a dock tree re-floats panels, their showing is not recorded.
    static bool Restoring();
    static void SetRestoring(bool restoring);

    // The frame's bounds on the screen.
    TEdges Bounds() const;

protected:
    // A double click on the docked frame's title floats it where it was.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    virtual void ApplyTitleBar();
    void VisibilityChangedRecord(bool visible);
    // Where the panel floated last, as the registry holds it now.
    std::optional<TFloatRecord> LastFloat() const;
    // Floats the frame at last (when there is one); see Refloat.
    void FloatAt(std::optional<TFloatRecord> last);

    TFloatTreeCep& floatTree_;
    int floatKind_ = 0;
    int siteKind_ = 0;
    bool verticalGrabber_ = false;
    TDockGrabberCep* grabber_ = nullptr;
};

class TCustomDockFormCep : public TCustomDockFormEx {
    Q_OBJECT
public:
    explicit TCustomDockFormCep(TFloatTreeCep& floatTree, QWidget* parent = nullptr);
    ~TCustomDockFormCep() override;

    TDockCaptionCep* CaptionBar() const { return caption_; }
    // Live frames of this class (the shared caption picture lives while there is one).
    static int Instances();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void ApplyTitleBar() override;

private:
    TDockCaptionCep* caption_ = nullptr;
};

// The caption bar of a floating TCustomDockFormCep.
class TDockCaptionCep : public QWidget {
    Q_OBJECT
public:
    explicit TDockCaptionCep(QDockWidget* form);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The close cross in the bar's coordinates (the caption is the whole bar).
    TEdges CloseBox() const;

    uint8_t OverClose = 0;
    uint8_t ClosePressed = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QDockWidget* form_;
};

// Ends the one-shot timer; at shut-down.
void ReleaseDockForms();

}  // namespace zo::configurator
