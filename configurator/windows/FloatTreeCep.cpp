#include "configurator/windows/FloatTreeCep.h"

#include "configurator/windows/CustomDockForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <memory>

namespace zo::configurator {
std::string ControlKey(const QObject* control) {
    if (!control || control->objectName().isEmpty()) return {};
    QStringList names, classes;
    for (const QObject* o = control; o; o = o->parent()) {
        names.prepend(o->objectName());
        classes.prepend(QString::fromLatin1(o->metaObject()->className()));
    }
    // The application is the outermost owner; its name is empty.
    names.prepend(QString());
    classes.prepend(qApp ? QString::fromLatin1(qApp->metaObject()->className()) : QString("QApplication"));
    return (names.join('.') + ';' + classes.join('.')).toUpper().toStdString();
}

bool TFloatTreeCep::Find(const QWidget* control, TFloatRecord* record) const {
    const auto it = entries_.find(ControlKey(control));
    if (it == entries_.end()) return false;
    if (record) *record = it->second;
    return true;
}

void TFloatTreeCep::Store(const std::string& key, const TFloatRecord& record) {
    if (key.empty()) return;
    entries_[key] = record;
}

void TFloatTreeCep::Record(const QWidget* control, const TEdges& bounds, bool visible) {
    if (!Recording || !control) return;
    Store(ControlKey(control), {24, bounds.Left, bounds.Top, bounds.Right, bounds.Bottom, visible ? 1 : 0});
}

void TFloatTreeCep::RecordForm(TCustomDockFormEx* form) {
    if (!form || !form->widget()) return;
    Record(form->widget(), form->Bounds(), form->widget()->isVisible() || form->WantedVisible);
}

bool TFloatTreeCep::Restore(QDockWidget* form) {
    if (!form || !form->widget()) return false;
    TFloatRecord rec;
    if (!Find(form->widget(), &rec)) return false;
    QSize screen(1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->size();
    const TEdges r = KeepOnScreen({rec.Left, rec.Top, rec.Right, rec.Bottom}, screen.width(), screen.height());
    form->setFloating(true);
    form->setGeometry(r.Left, r.Top, r.Width(), r.Height());
    if (auto* ex = qobject_cast<TCustomDockFormEx*>(form)) ex->SetWantedVisible(rec.Visible ? 1 : 0);
    else form->setVisible(rec.Visible != 0);
    return true;
}

bool TFloatTreeCep::SaveToStream(TZoStream* stream) {
    for (QWidget* w : QApplication::allWidgets()) {
        auto* form = qobject_cast<TCustomDockFormEx*>(w);
        if (form && form->isFloating()) RecordForm(form);
    }
    std::vector<FloatEntry> list;
    for (const auto& [key, record] : entries_) list.push_back({key, record});
    return WriteFloatTree(stream, list);
}

DockStreamResult TFloatTreeCep::LoadFromStream(TZoStream* stream) {
    return ReadFloatTree(stream, [this](const FloatEntry& e) { Store(e.key, e.record); });
}

}  // namespace zo::configurator
