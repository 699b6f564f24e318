// Floating dock forms, their registry and the dock sites of a main window.
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/DockTreeCep.h"
#include "configurator/windows/DockZones.h"
#include "configurator/windows/FloatTreeCep.h"
#include "configurator/windows/FrameSite.h"
#include "configurator/windows/MemoryStream.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace zo::configurator {
namespace {

TEST(DockGeometry, CaptionAndCloseCross) {
    const TCaptionGeometry g = CaptionGeometry(200, 150, 194, 120, 16, true);
    EXPECT_EQ(g.Caption, (TEdges{3, 3, 197, 26}));
    EXPECT_EQ(g.Close, (TEdges{179, 3, 195, 26}));
    EXPECT_TRUE(g.HasClose);
    // The cross never starts left of the caption.
    EXPECT_EQ(CaptionGeometry(20, 40, 14, 20, 30, true).Close.Left, 3);
    const TCaptionGeometry none = CaptionGeometry(200, 150, 194, 120, 16, false);
    EXPECT_EQ(none.Caption, (TEdges{-1, -1, -1, -1}));
    EXPECT_FALSE(none.HasClose);
}

TEST(DockGeometry, RestoredFormsStayAtLeastHalfOnTheScreen) {
    struct Case {
        TEdges in, out;
    } cases[] = {
        {{-1000, 10, -600, 210}, {-200, 10, 200, 210}},
        {{10, -900, 210, -700}, {10, -100, 210, 100}},
        {{1500, 10, 1900, 210}, {824, 10, 1224, 210}},
        {{10, 1000, 210, 1200}, {10, 668, 210, 868}},
        {{100, 100, 500, 300}, {100, 100, 500, 300}},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepOnScreen(c.in, 1024, 768), c.out);
}

TEST(DockGeometry, GrabberPartsAndColours) {
    const TGrabberGeometry top = GrabberGeometry({0, 0, 100, 12}, false);
    EXPECT_EQ(top.Bar, (TEdges{1, 0, 86, 11}));
    EXPECT_EQ(top.Close, (TEdges{88, 0, 99, 11}));
    EXPECT_EQ(top.Caption, (TEdges{4, -1, 83, 11}));
    const TGrabberGeometry left = GrabberGeometry({0, 0, 12, 100}, true);
    EXPECT_EQ(left.Bar, (TEdges{0, 14, 11, 99}));
    EXPECT_EQ(left.Close, (TEdges{0, 1, 11, 12}));
    EXPECT_EQ(left.Caption, (TEdges{-3, 15, 10, 95}));
    EXPECT_EQ(ColourPercent(QColor(200, 100, 0), 120), QColor(240, 120, 0));
    EXPECT_EQ(ColourPercent(QColor(250, 1, 100), 120), QColor(255, 1, 120));
    EXPECT_EQ(ColourPercent(QColor(200, 100, 10), 40), QColor(80, 40, 4));
}

TEST(DockGeometry, GradientBoxFillsCutsCornersAndOutlines) {
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        GradientBox(p, {0, 0, 20, 10}, 2, false, kOutlineAveraged, QColor(0, 0, 240), QColor(0, 0, 60));
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));       // the cut corner
    EXPECT_EQ(image.pixelColor(5, 0), QColor(0, 0, 100));        // (240 + 60) div 3
    EXPECT_GT(image.pixelColor(5, 1).blue(), image.pixelColor(5, 8).blue());  // top to bottom
    EXPECT_NEAR(image.pixelColor(5, 1).blue(), 240, 25);
    QImage plain(10, 10, QImage::Format_RGB32);
    plain.fill(Qt::white);
    {
        QPainter p(&plain);
        GradientBox(p, {0, 0, 10, 10}, 2, true, kOutlineNone, QColor(10, 20, 30), QColor(10, 20, 30));
    }
    EXPECT_EQ(plain.pixelColor(5, 0), QColor(Qt::white));
    EXPECT_EQ(plain.pixelColor(5, 5), QColor(10, 20, 30));
}

// A main window with named panels, as the program holds its side panels: each
// panel (the frame's client) named, its frame "<panel>Frame".
struct Window {
    TFloatTreeCep floatTree;  // outlives the forms main deletes
    QMainWindow main;
    TFrameSite* left;
    TFrameSite* right;
    Window() {
        main.setObjectName("MainForm");
        main.setCentralWidget(new QTextEdit);
        main.resize(900, 600);
        left = new TFrameSite(&main, Qt::LeftDockWidgetArea, QSize(240, 400), "FrameSiteLeft");
        right = new TFrameSite(&main, Qt::RightDockWidgetArea, QSize(260, 400), "FrameSiteRight");
        left->SetFloatFormKind(1);
        right->SetFloatFormKind(1);
    }
    TCustomDockFormCep* panel(const char* name, const QString& text) {
        auto* form = new TCustomDockFormCep(floatTree, &main);
        form->setObjectName(QString(name) + "Frame");
        auto* client = new QLabel(text);
        client->setObjectName(name);
        client->setWindowTitle(text);
        form->AddDockClient(client);
        return form;
    }
    void show() {
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        settle();
    }
    // The panel "Library" docked alone in the shown window's left site, the site width pixels wide.
    TCustomDockFormCep* libraryAlone(int width) {
        TCustomDockFormCep* p = panel("Library", "Library");
        left->Dock(p);
        show();
        left->SetSize(QSize(width, 0));
        settle();
        return p;
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
};

TEST(DockForms, CaptionIsTheClientsTextUpToALineBreak) {
    Window w;
    TCustomDockFormCep* p = w.panel("Inspector", QString::fromUtf8("Свойства\r\nблока"));
    EXPECT_EQ(p->windowTitle(), QString::fromUtf8("Свойства"));
    EXPECT_FALSE(p->isHidden());  // a client added outside restoring shows its frame
}

TEST(DockForms, KeysTellOwnersApart) {
    QWidget a, b;
    a.setObjectName("MainA");
    b.setObjectName("MainB");
    QLabel x(&a), y(&b);
    x.setObjectName("Panel");
    y.setObjectName("Panel");
    EXPECT_NE(ControlKey(&x), ControlKey(&y));
    EXPECT_EQ(ControlKey(&x), ".MAINA.PANEL;QAPPLICATION.QWIDGET.QLABEL");
    QLabel unnamed;
    EXPECT_EQ(ControlKey(&unnamed), "");
}

TEST(DockForms, WantedVisibilityIsAppliedByTheOneShotTimer) {
    Window w;
    TCustomDockFormCep* p = w.panel("Library", "Library");
    w.left->Dock(p);
    w.show();
    ASSERT_TRUE(p->isVisible());
    EXPECT_EQ(p->WantedVisible, 1);
    p->SetWantedVisible(0);
    EXPECT_TRUE(p->isVisible());  // not yet
    EXPECT_TRUE(QTest::qWaitFor([&] { return !p->isVisible(); }, 15000));
    p->SetWantedVisible(1);
    EXPECT_FALSE(p->isVisible());  // not yet
    EXPECT_TRUE(QTest::qWaitFor([&] { return p->isVisible(); }, 15000));
}

TEST(DockForms, FloatingPanelIsRecordedAndRestoredOnTheScreen) {
    Window w;
    TCustomDockFormCep* p = w.panel("Tree", "Tree");
    w.left->Dock(p);
    w.show();
    p->setFloating(true);
    Window::settle();
    ASSERT_NE(p->CaptionBar(), nullptr);
    EXPECT_EQ(p->titleBarWidget(), p->CaptionBar());
    TFloatTreeCep& reg = w.floatTree;
    TFloatRecord rec;
    ASSERT_TRUE(reg.Find(p->widget(), &rec));
    EXPECT_EQ(rec.Visible, 1);
    reg.Store(ControlKey(p->widget()), {24, -1000, 50, -600, 350, 1});
    ASSERT_TRUE(reg.Restore(p));
    EXPECT_EQ(p->Bounds().Left, -200);

    // The registry's stream holds the record.
    TZoMemoryStream ms;
    ASSERT_TRUE(reg.SaveToStream(ms.Stream()));
    ms.Seek(0);
    TFloatTreeCep loaded;
    ASSERT_TRUE(loaded.LoadFromStream(ms.Stream()).ok);
    EXPECT_TRUE(loaded.Find(p->widget(), nullptr));
}

TEST(DockForms, TheCloseCrossClosesTheFloatingForm) {
    Window w;
    TCustomDockFormCep* p = w.panel("Log", "Log");
    w.left->Dock(p);
    w.show();
    p->setFloating(true);
    p->resize(300, 200);
    Window::settle();
    TDockCaptionCep* bar = p->CaptionBar();
    ASSERT_NE(bar, nullptr);
    const TEdges close = bar->CloseBox();
    const QPoint at((close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(bar->ClosePressed, 1);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
    Window::settle();
    EXPECT_FALSE(p->isVisible());
}

TEST(FrameSite, FloatingTheOnlyPanelCollapsesAndADropReopensAtTheSavedWidth) {
    Window w;
    TCustomDockFormCep* p = w.libraryAlone(220);
    ASSERT_EQ(p->width(), 220);
    EXPECT_EQ(w.left->Collapsed, 0);
    // The docked panel shows the site's slim grabber.
    EXPECT_NE(qobject_cast<TDockGrabberCep*>(p->titleBarWidget()), nullptr);

    p->setFloating(true);
    Window::settle();
    EXPECT_EQ(w.left->Collapsed, 1);
    EXPECT_EQ(w.left->SavedWidth, 220);
    EXPECT_EQ(w.left->Size(), QSize(0, 0));

    w.left->Dock(p);
    Window::settle();
    EXPECT_EQ(w.left->Collapsed, 0);
    EXPECT_EQ(p->width(), 220);
}

TEST(FrameSite, ReopenedSizeIsAtMostTwoThirdsOfTheWindowAndAtLeastThirty) {
    EXPECT_EQ(DockTargetSize(QSize(900, 600), QSize(1024, 768), 800, 100), QSize(600, 100));
    EXPECT_EQ(DockTargetSize(QSize(900, 600), QSize(1024, 768), 10, 10), QSize(30, 30));
    EXPECT_EQ(DockTargetSize(QSize(), QSize(1024, 768), 800, 800), QSize(256, 192));
    const TEdges site{0, 0, 0, 400};
    EXPECT_EQ(CollapsedDockRect(SiteAlign::Left, site, {200, 300}, {0, 0, 900, 600}, true), (TEdges{0, 0, 200, 400}));
    EXPECT_EQ(CollapsedDockRect(SiteAlign::Right, {900, 0, 900, 400}, {200, 300}, {0, 0, 900, 600}, true),
              (TEdges{700, 0, 900, 400}));
    EXPECT_EQ(CollapsedDockRect(SiteAlign::Bottom, {0, 600, 900, 600}, {200, 100}, {0, 0, 900, 600}, true),
              (TEdges{0, 500, 900, 600}));
    // Grown round its middle, then moved back into the parent's client area.
    EXPECT_EQ(CollapsedDockRect(SiteAlign::None, {10, 10, 10, 10}, {40, 20}, {0, 0, 900, 600}, true),
              (TEdges{0, 0, 40, 20}));
}

TEST(FrameSite, LayoutStreamDocksNamedPanelsAndFloatsTheOthersWhereTheyFloated) {
    Window w;
    TCustomDockFormCep* a = w.panel("SourceForm", "A");
    TCustomDockFormCep* b = w.panel("ProjectForm", "B");
    w.left->Dock(a);
    w.left->Dock(b);
    w.show();
    w.left->SetSize(QSize(210, 0));
    Window::settle();
    TZoMemoryStream ms;
    ASSERT_TRUE(w.left->SaveToStream(ms.Stream()));

    // The layout names both; a third panel docked now is not named and floats
    // where it floated last.
    TCustomDockFormCep* c = w.panel("ObjInspect", "C");
    w.left->Dock(c);
    a->setFloating(true);
    Window::settle();
    w.floatTree.Store(ControlKey(c->widget()), {24, 300, 200, 520, 420, 1});
    ms.Seek(0);
    ASSERT_TRUE(w.left->LoadFromStream(ms.Stream()).ok);
    Window::settle();
    EXPECT_FALSE(a->isFloating());
    EXPECT_FALSE(b->isFloating());
    TFloatRecord floated;
    ASSERT_TRUE(w.floatTree.Find(a->widget(), &floated));
    EXPECT_EQ(floated.Visible, 1);  // taken back into the site, it still floated shown
    EXPECT_TRUE(c->isFloating());
    EXPECT_EQ(c->Bounds(), (TEdges{300, 200, 520, 420}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return c->isVisible(); }, 15000));
    EXPECT_EQ(w.left->Size().width(), 210);

    // A hidden panel that no longer exists is passed over.
    TDockLayout layout = w.left->Tree().Layout();
    layout.Hidden.push_back("Gone");
    TZoMemoryStream second;
    ASSERT_TRUE(WriteDockLayout(second.Stream(), layout));
    second.Seek(0);
    EXPECT_TRUE(w.left->Tree().LoadFromStream(second.Stream()).ok);
    // Panels are found by the name and key of the frame's client, as the floating registry keys them.
    EXPECT_EQ(w.left->ReloadDockedControl(ControlKey(b->widget())), b);
    EXPECT_EQ(w.left->ReloadDockedControl("projectform"), b);
    EXPECT_EQ(w.left->ReloadDockedControl("ProjectFormFrame"), nullptr);
    EXPECT_EQ(w.left->ReloadDockedControl("Gone"), nullptr);
}

TEST(FrameSite, ADockTreeWithLevelsRestoresTheRelativeSizes) {
    Window w;
    TCustomDockFormCep* a = w.panel("SourceForm", "A");
    TCustomDockFormCep* b = w.panel("ProjectForm", "B");
    TCustomDockFormCep* c = w.panel("ObjInspect", "C");
    for (TCustomDockFormCep* p : {a, b, c}) w.left->Dock(p);
    w.show();
    // A third of the height for A above; below it B beside C, B a third of the width.
    TDockLayout layout;
    layout.TopLimit = 600;
    layout.Zones = {{0, kZoneStacked, 300, ""}, {1, kZoneNoOrientation, 200, "SourceForm"},
                    {1, kZoneSideBySide, 600, ""}, {2, kZoneNoOrientation, 100, "ProjectForm"},
                    {2, kZoneNoOrientation, 300, "ObjInspect"}};
    TZoMemoryStream ms;
    ASSERT_TRUE(WriteSiteLayout(ms.Stream(), &layout, {270, -1}));
    ms.Seek(0);
    ASSERT_TRUE(w.left->LoadFromStream(ms.Stream()).ok);
    Window::settle();
    const QRect ra = a->geometry(), rb = b->geometry(), rc = c->geometry();
    EXPECT_LT(ra.bottom(), rb.top());
    EXPECT_EQ(rb.top(), rc.top());
    EXPECT_LT(rb.right(), rc.left());
    const QSize site = w.left->Size();
    EXPECT_NEAR(site.width(), 270, 2);
    EXPECT_NEAR(ra.height(), site.height() / 3, 8);
    EXPECT_NEAR(rb.width(), site.width() / 3, 8);

    // The site writes the tree it shows, with its levels.
    const std::optional<TZoneTree> tree = ReadZoneTree(w.left->Tree().Layout());
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Top.Orientation, kZoneStacked);
    ASSERT_EQ(tree->Top.Children.size(), 2u);
    EXPECT_EQ(tree->Top.Children[0].Name, "SourceForm");
    const TZoneNode& lower = tree->Top.Children[1];
    EXPECT_EQ(lower.Orientation, kZoneSideBySide);
    ASSERT_EQ(lower.Children.size(), 2u);
    EXPECT_EQ(lower.Children[0].Name, "ProjectForm");
    EXPECT_EQ(lower.Children[1].Name, "ObjInspect");
    EXPECT_NEAR(tree->Top.Children[0].Limit, tree->TopLimit / 3, 8);
}

TEST(FrameSite, ShownAgainReopensAtTheSavedSizeADropWithinTheWindow) {
    Window w;
    TCustomDockFormCep* p = w.libraryAlone(220);
    p->hide();
    Window::settle();
    ASSERT_EQ(w.left->Collapsed, 1);
    EXPECT_EQ(w.left->SavedWidth, 220);
    w.left->SavedWidth = 650;
    // The drag's rectangle over the collapsed site: at most two thirds of the window.
    EXPECT_EQ(w.left->DockOver(), (TEdges{0, 0, 600, 600}));
    p->show();
    Window::settle();
    EXPECT_EQ(w.left->Collapsed, 0);
    EXPECT_EQ(p->width(), 650);

    p->setFloating(true);
    Window::settle();
    ASSERT_EQ(w.left->Collapsed, 1);
    EXPECT_EQ(w.left->SavedWidth, 650);
    w.left->Dock(p);
    Window::settle();
    EXPECT_EQ(p->width(), 600);
}

TEST(DockForms, DoubleClickOnTheGrabberFloatsThePanelWhereItFloatedLast) {
    Window w;
    TCustomDockFormCep* p = w.panel("Tree", "Tree");
    w.left->Dock(p);
    w.show();
    w.floatTree.Store(ControlKey(p->widget()), {24, 150, 120, 450, 420, 1});
    auto* grabber = qobject_cast<TDockGrabberCep*>(p->titleBarWidget());
    ASSERT_NE(grabber, nullptr);
    const QPoint at(10, grabber->height() / 2);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, grabber->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grabber, &click);
    Window::settle();
    ASSERT_TRUE(p->isFloating());
    EXPECT_EQ(p->Bounds(), (TEdges{150, 120, 450, 420}));
    EXPECT_TRUE(p->isVisible());
}

TEST(FrameSite, ATrailerAloneChangesOnlyTheSize) {
    Window w;
    TCustomDockFormCep* a = w.panel("SourceForm", "A");
    w.left->Dock(a);
    w.show();
    TZoMemoryStream ms;
    ASSERT_TRUE(WriteSiteLayout(ms.Stream(), nullptr, {180, 77}));
    ms.Seek(0);
    ASSERT_TRUE(w.left->LoadFromStream(ms.Stream()).ok);
    Window::settle();
    EXPECT_EQ(a->width(), 180);
    EXPECT_FALSE(a->isFloating());
}

}  // namespace
}  // namespace zo::configurator
