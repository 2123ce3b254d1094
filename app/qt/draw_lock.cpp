#include "app/qt/draw_lock.h"

namespace Draw {

namespace {
struct Pointer_State {
    QPointer<QWidget> window;
    QPoint screen;
};
Pointer_State& pointer_state() {
    static Pointer_State state;
    return state;
}
}  // namespace

void Pointer_Set(QWidget* window, QPoint screen_position) {
    std::lock_guard guard(Lock());
    pointer_state().window = window;
    pointer_state().screen = screen_position;
}

QPoint Pointer_Screen() {
    std::lock_guard guard(Lock());
    return pointer_state().screen;
}

QWidget* Pointer_Window() {
    std::lock_guard guard(Lock());
    return pointer_state().window.data();
}

QPoint Pointer_Local() {
    std::lock_guard guard(Lock());
    const Pointer_State& state = pointer_state();
    return state.window ? state.window->mapFromGlobal(state.screen) : state.screen;
}

}  // namespace Draw
