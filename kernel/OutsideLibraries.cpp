#include "kernel/OutsideLibraries.h"

#include "common/LibraryBinding.h"
#include "platform/Cp1251.h"

namespace zo::kernel {

namespace {

// The three bindings live from library load to unload (see CreateOutsideBindings).
struct Bindings {
    TLibraryBinding grafic{LibraryBindingSpec{"ZoGraficConfig.so", "TGraficOptions", int32_t(sizeof(TGraficOptions)),
                                              true, true, "   ", "",
                                              ZO_RU("Выгружена библиотека ") + "\"ZoGraficConfig.so\""}};
    TLibraryBinding debug{LibraryBindingSpec{"ZoDebug.so", "TDebugOptions", int32_t(sizeof(TDebugOptions)), false,
                                             false, " ", "ZoDebug.so",
                                             ZO_RU("Выгружена библиотека отладки ") + "\"ZoDebug.so\""}};
    TLibraryBinding trace{LibraryBindingSpec{"ZoTraceSchem.so", "TTraceOptions", int32_t(sizeof(TTraceOptions)),
                                             false, false, " ", "ZoTraceSchem.so", ""}};
};

Bindings* g_bindings = nullptr;

TLibraryBinding& grafic() { return g_bindings->grafic; }
TLibraryBinding& debug() { return g_bindings->debug; }
TLibraryBinding& trace() { return g_bindings->trace; }

}  // namespace

void CreateOutsideBindings() {
    if (!g_bindings) g_bindings = new Bindings;
}


TGraficOptions* GraficOptions() { return g_bindings ? static_cast<TGraficOptions*>(grafic().Record()) : nullptr; }
TDebugOptions* DebugOptions() { return g_bindings ? static_cast<TDebugOptions*>(debug().Record()) : nullptr; }
TTraceOptions* TraceOptions() { return g_bindings ? static_cast<TTraceOptions*>(trace().Record()) : nullptr; }

void LoadGraficLibrary(const std::string& subfolder, void* application, void* screen, TLogProc log) {
    grafic().Load(subfolder, log, application, screen);
}

void UnloadGraficLibrary(TLogProc log) {
    if (TGraficOptions* g = GraficOptions(); g && g->GraficDone) g->GraficDone();
    grafic().Unload(log);
}

void LoadDebugLibrary(const std::string& folder, TLogProc log) { debug().Load(folder, log); }

void UnloadDebugLibrary(TLogProc log) { debug().Unload(log); }

void LoadTraceLibrary(const std::string& folder, TLogProc log) {
    if (!trace().Bound()) trace().Load(folder, log);
}

void DestroyOutsideBindings(TLogProc log) {
    if (!g_bindings) return;
    UnloadGraficLibrary(log);
    UnloadDebugLibrary(nullptr);
    trace().Unload(nullptr);
    delete g_bindings;
    g_bindings = nullptr;
}

}  // namespace zo::kernel
