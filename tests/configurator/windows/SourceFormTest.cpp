// The element library window: reloading through the kernel's file list, the
// popup menu, the pointer's status text and preview, the drawing of group bars,
// and the drag from the tree that the real kernel turns into a block.

#include "RealKernel.h"

#include "configurator/link/SourceLink.h"
#include "configurator/windows/DragMimeType.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/windows/SchemForm.h"
#include "configurator/windows/GraphicHintWindow.h"
#include "configurator/windows/SourceForm.h"
#include "platform/Cp1251.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>

#include <memory>

using namespace zo;
using namespace zo::configurator;
using namespace zo::test;

namespace {

// A kernel record that answers the library window's calls and records them.
struct LibraryKernel {
    static inline std::vector<std::string> files;
    static inline std::vector<std::string> status;  // "panel:text" (UTF-8)
    static inline std::string program = "VT_win.exe";
    static inline std::string folder;
    static inline std::string device;
    static inline int clears = 0;
    static inline int freed = 0;
    static inline int released = 0;
    static inline QImage preview;

    static TKernelOptions make() {
        files.clear();
        status.clear();
        clears = freed = released = 0;
        program = "VT_win.exe";
        TKernelOptions k{};
        k.ClearLibraryFiles = [] {
            ++clears;
            files.clear();
            return 0;
        };
        k.AddLibraryFile = [](const char* p) {
            files.push_back(p);
            return 0;
        };
        k.LibraryFileCount = [] { return int32_t(files.size()); };
        k.GetLibraryFile = [](int32_t i) { return size_t(i) < files.size() ? files[size_t(i)].c_str() : nullptr; };
        k.GetProgramFolder = [] { return folder.c_str(); };
        k.GetDeviceProgram = [] { return program.c_str(); };
        k.GetDeviceFilePath = [] { return device.c_str(); };
        k.SetStatusText = [](int32_t panel, const char* text) {
            status.push_back(std::to_string(panel) + ":" + platform::cp1251ToUtf8(text));
            return 0;
        };
        k.GetBlockPreview = [](const char*, void** bitmap) {
            if (*bitmap || preview.isNull()) return -1;
            *bitmap = new QImage(preview);
            return 0;
        };
        k.GetBlockInfoBitmap = [](const char* path, void** bitmap) {
            if (std::string(path).find("/OR") == std::string::npos) return -2;
            *bitmap = new QImage(40, 20, QImage::Format_RGB32);
            return 0;
        };
        k.ReleaseObject = [](void** object) {
            delete static_cast<QImage*>(*object);
            *object = nullptr;
            ++released;
        };
        k.FreeBlockPreview = [](void** bitmap) {
            delete static_cast<QImage*>(*bitmap);
            *bitmap = nullptr;
            ++freed;
            return 0;
        };
        return k;
    }
};

std::string libraryText(const std::string& body) {
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n" + cp(body) + "\n";
    text += "<!--" + std::string(200, 'x') + "-->\n";
    return text;
}

class SourceWindow : public ::testing::Test {
protected:
    void SetUp() override {
        LibraryKernel::folder = platform::currentDir();
        LibraryKernel::device = "\\Device\\Dev.dev";
        LibraryKernel::preview = QImage(24, 36, QImage::Format_RGB32);
        LibraryKernel::preview.fill(Qt::white);
        std::filesystem::create_directories(dir_.path() / "Device");
        writeBytes(dir_.file("Device/Dev.dev"),
                   libraryText("<Micro><FBD NAME=\"Dev\"><GROUP NAME=\"Logic\" IM=\"Логика\">"
                               "<BLOCK NAME=\"AND\" IM=\"И\"/><BLOCK NAME=\"OR\" IM=\"ИЛИ\"/></GROUP>"
                               "<GROUP NAME=\"Empty\" IM=\"Пустая\"/></FBD></Micro>"));
        form = std::make_unique<TSourceForm>(link);
        form->resize(220, 300);
    }
    QTreeWidgetItem* item(const char* utf8) {
        const auto found = form->TreeView1()->findItems(QString::fromUtf8(utf8), Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    QPoint centre(QTreeWidgetItem* it) { return form->TreeView1()->visualItemRect(it).center(); }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    UiRecorder ui_;
    TKernelOptions kernel_ = LibraryKernel::make();
    SourceLink link{&kernel_};
    std::unique_ptr<TSourceForm> form;
};

TEST_F(SourceWindow, ReloadEmptiesTheListAndLoadsTheDeviceFile) {
    EXPECT_EQ(form->ReloadSource("\\Device\\Dev.dev"), 0);
    EXPECT_EQ(form->ReloadSource("\\Device\\Dev.dev"), 0);
    EXPECT_EQ(LibraryKernel::clears, 2);
    EXPECT_EQ(LibraryKernel::files, std::vector<std::string>{"\\Device\\Dev.dev"});
    EXPECT_EQ(form->TreeView1()->topLevelItemCount(), 2);
    ASSERT_TRUE(item("AND"));
    EXPECT_EQ(item("AND")->parent(), item("Logic"));
    form->ClearSourceForm();
    EXPECT_EQ(form->TreeView1()->topLevelItemCount(), 0);
}

TEST_F(SourceWindow, PointerOverABlockShowsItsTextAndPreviewAndGroupsShowNothing) {
    form->ReloadSource("\\Device\\Dev.dev");
    form->TreeView1MouseMove(centre(item("OR")));
    EXPECT_EQ(LibraryKernel::status,
              (std::vector<std::string>{"0:", "1:", "2:", "2:ИЛИ (\\Device\\Dev.dev/FBD/Logic/OR)"}));
    EXPECT_EQ(form->PreviewBitmap().size(), QSize(24, 36));
    EXPECT_EQ(LibraryKernel::freed, 1);
    EXPECT_EQ(form->toolTip(), QString::fromUtf8("ИЛИ"));
    ASSERT_TRUE(form->CurrentNode());

    LibraryKernel::status.clear();
    form->TreeView1MouseMove(centre(item("Logic")));
    EXPECT_EQ(LibraryKernel::status, (std::vector<std::string>{"0:", "1:", "2:"}));
    // A group without children is hinted like a block.
    LibraryKernel::status.clear();
    form->TreeView1MouseMove(centre(item("Empty")));
    EXPECT_EQ(LibraryKernel::status.back(), "2:Пустая ()");
    form->TreeView1MouseMove(QPoint(5, 290));
    EXPECT_FALSE(form->CurrentNode());
}

TEST_F(SourceWindow, TheBlockHintIsThePictureHintPulledBackOntoTheDesktop) {
    form->ReloadSource("\\Device\\Dev.dev");
    EXPECT_EQ(HintBitmap(), &form->PreviewBitmap());
    const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
    const int deskRight = desk.x() + desk.width(), deskBottom = desk.y() + desk.height();
    form->move(desk.x() + 100, desk.y() + 100);
    form->show();
    QPoint at = centre(item("OR"));
    form->TreeView1MouseMove(at);
    const TGraphicHintWindow* hint = form->PictureHint();
    ASSERT_TRUE(hint);
    EXPECT_TRUE(hint->isVisible());
    // The preview (24 x 36) with its margins, below and right of the pointer.
    EXPECT_EQ(hint->geometry(), QRect(form->TreeView1()->viewport()->mapToGlobal(at) + QPoint(16, 16), QSize(26, 39)));

    // Near the desktop's bottom-right corner it is moved back onto it.
    form->move(deskRight - 120, deskBottom - 60);
    at = centre(item("OR"));
    const QPoint global = form->TreeView1()->viewport()->mapToGlobal(at) + QPoint(16, 16);
    ASSERT_GT(global.x() + 26, deskRight);
    ASSERT_GT(global.y() + 39, deskBottom);
    form->TreeView1MouseMove(at);
    EXPECT_EQ(hint->geometry(), QRect(deskRight - 26, deskBottom - 39, 26, 39));

    // It goes when the pointer is over no block, and with its block.
    form->TreeView1MouseMove(QPoint(-1, -1));
    EXPECT_FALSE(hint->isVisible());
    form->TreeView1MouseMove(at);
    ASSERT_TRUE(hint->isVisible());
    form->ClearSourceForm();
    EXPECT_FALSE(hint->isVisible());
    form.reset();
    EXPECT_EQ(HintBitmap(), nullptr);
}

TEST_F(SourceWindow, PopupShowsTheItemsTheDeviceAndTheNodeAllow) {
    form->ReloadSource("\\Device\\Dev.dev");
    QMenu* menu = form->PopupMenuElement();
    auto visible = [&](const char* name) {
        for (QAction* a : menu->actions())
            if (a->objectName() == name) return a->isVisible();
        return false;
    };
    form->TreeView1RightRelease(centre(item("AND")));
    form->PopupMenuElementPopup();
    EXPECT_TRUE(visible("SourceReload"));
    EXPECT_TRUE(visible("N1"));
    EXPECT_TRUE(visible("SourceFilesAction"));
    EXPECT_TRUE(visible("SourceInfFBD"));
    const auto info = menu->findChildren<QAction*>("SourceInfFBD");
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(info[0]->text(), QString::fromUtf8("Описание блока \"AND\" (И)"));
    const auto files = menu->findChild<QMenu*>("SourceFiles");
    ASSERT_TRUE(files);
    ASSERT_EQ(files->actions().size(), 1);
    EXPECT_EQ(files->actions()[0]->text(), QString::fromUtf8("\\Device\\Dev.dev"));

    LibraryKernel::program.clear();
    form->PopupMenuElementPopup();
    EXPECT_FALSE(visible("SourceReload"));
    EXPECT_FALSE(visible("SourceInfFBD"));
    EXPECT_TRUE(visible("SourceFilesAction"));
}

TEST_F(SourceWindow, TheBlockDescriptionOpensAPictureWindowPerRequest) {
    form->ReloadSource("\\Device\\Dev.dev");
    form->TreeView1RightRelease(centre(item("AND")));
    form->SourceInfFBDClick();  // the kernel has no picture for it
    EXPECT_TRUE(form->findChildren<QWidget*>("FormShowBMP").isEmpty());
    form->TreeView1RightRelease(centre(item("OR")));
    form->SourceInfFBDClick();
    form->SourceInfFBDClick();
    const auto windows = form->findChildren<QWidget*>("FormShowBMP");
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(windows[0]->windowTitle(), QString::fromUtf8("Описание блока"));
    EXPECT_EQ(windows[0]->size(), QSize(40, 20));  // the block picture window, sized to the picture
    EXPECT_TRUE(windows[0]->windowFlags() & Qt::Tool);
    EXPECT_EQ(LibraryKernel::released, 2);
}

TEST_F(SourceWindow, AFileOfTheListOpensBelowTheProgramFolderOnlyWhenRelative) {
    std::vector<QString> opened;
    form->OpenFile = [&](const QString& path) { opened.push_back(path); };
    LibraryKernel::files = {"\\Library\\Logic.xml", "/elsewhere/Own.xml"};
    form->SourceFilesClick(0);
    form->SourceFilesClick(1);
    form->SourceFilesClick(5);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QString::fromStdString(platform::currentDir() + "/Library/Logic.xml"));
    EXPECT_EQ(opened[1], QString("/elsewhere/Own.xml"));
}

TEST_F(SourceWindow, GroupBarsAreAGradientInsideRoundedCornersOnSilver) {
    const QImage bar = TLibraryItemDelegate::GroupBar(QSize(100, 20));
    EXPECT_EQ(QColor(bar.pixel(0, 0)), QColor(0xC0, 0xC0, 0xC0));    // a corner stays silver
    EXPECT_EQ(QColor(bar.pixel(50, 0)), QColor(0xAA, 0xAA, 0xAA));   // the top row
    EXPECT_EQ(QColor(bar.pixel(50, 10)), QColor(0xA2, 0xA2, 0xA2));  // 0xAA - 17 / 20 * 10, rounded
    EXPECT_EQ(QColor(bar.pixel(50, 19)), QColor(0x9A, 0x9A, 0x9A));
}

TEST_F(SourceWindow, TheDragPictureIsTransparentWhereItHasTheColourOfItsCorner) {
    LibraryKernel::preview.fill(QColor(1, 2, 3));
    LibraryKernel::preview.setPixel(10, 10, qRgb(200, 0, 0));
    form->ReloadSource("\\Device\\Dev.dev");
    form->TreeView1MouseMove(centre(item("AND")));
    const QImage mask = form->DragPicture().mask().toImage();
    EXPECT_EQ(mask.pixelIndex(10, 10) != mask.pixelIndex(0, 0), true);
    EXPECT_EQ(mask.pixelIndex(5, 5), mask.pixelIndex(0, 0));
}

// The payload of a drag from the tree, dropped through the real kernel.
TEST(SourceDrag, ADraggedBlockNodeDropsABlockOnASheetOfTheRealKernel) {
    RealKernel real;
    ASSERT_TRUE(real.bound());
    SourceLink link(&real.kernel());
    TSourceForm form(link);
    ASSERT_EQ(form.ReloadSource(real.kernel().GetProgramFolder() + std::string("\\Device\\OrvantaPLC.dev")), 0);
    const auto found = form.TreeView1()->findItems("AND", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    const std::string sheet = real.addSheet();

    form.TreeView1()->setCurrentItem(found.front());
    std::unique_ptr<QMimeData> data(form.MakeDragData());
    ASSERT_TRUE(data);
    void* source = unpackDragObject(data.get());
    ASSERT_EQ(static_cast<const void*>(source), static_cast<const void*>(&form.DragObject()));
    int bitmap = 0;
    EXPECT_EQ(real.kernel().SheetDragOver(sheet.c_str(), &bitmap, source, 40, 40, 5), 0);
    EXPECT_EQ(real.kernel().SheetDragDrop(sheet.c_str(), source, 40, 40), 0);
    EXPECT_EQ(real.blockCount(sheet), 1);

    // A group node carries no block path: the kernel refuses it.
    const auto group = form.TreeView1()->findItems("Logic", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(group.size(), 1);
    form.TreeView1()->setCurrentItem(group.front());
    data.reset(form.MakeDragData());
    ASSERT_TRUE(data);
    EXPECT_EQ(real.kernel().SheetDragDrop(sheet.c_str(), unpackDragObject(data.get()), 100, 100), -3);
    EXPECT_EQ(real.blockCount(sheet), 1);
    // The root node of an included file gives no drag at all.
    const auto root = form.TreeView1()->topLevelItem(0);
    form.TreeView1()->setCurrentItem(root);
    EXPECT_EQ(form.MakeDragData(), nullptr);
}

TEST(SourceDrag, ADragFromTheTreeDroppedOnASchemeWindowAddsABlock) {
    RealKernel real;
    ASSERT_TRUE(real.bound());
    SourceLink sourceLink(&real.kernel());
    TSourceForm source(sourceLink);
    ASSERT_EQ(source.ReloadSource(real.kernel().GetProgramFolder() + std::string("\\Device\\OrvantaPLC.dev")), 0);
    const auto found = source.TreeView1()->findItems("TON", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    source.TreeView1()->setCurrentItem(found.front());
    const std::string sheet = real.addSheet();

    SchemeLink schemeLink(&real.kernel());
    QMdiArea area;
    auto* scheme = new TSchemForm(schemeLink);
    area.addSubWindow(scheme);
    area.resize(800, 600);
    area.show();
    scheme->SetKernel(true);
    scheme->SetSchemeName(SourceLink::text(sheet));
    scheme->show();
    scheme->RefreshScheme();

    std::unique_ptr<QMimeData> data(source.MakeDragData());
    ASSERT_TRUE(data);
    const QPoint p(120, 100);
    QDragEnterEvent enter(p, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(scheme->Canvas(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent over(p, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(scheme->Canvas(), &over);
    QDropEvent drop(p, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(scheme->Canvas(), &drop);
    EXPECT_EQ(real.blockCount(sheet), 1);
    delete scheme;
}

}  // namespace
