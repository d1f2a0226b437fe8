#pragma once

#include <QPointer>
#include <QWidget>

// The one instance of a window: made on first use, deleted when it closes,
// made afresh the next time.
template <class Window> class SingleWindow
{
public:
    SingleWindow() = default;
    SingleWindow(const SingleWindow &) = delete;
    SingleWindow &operator=(const SingleWindow &) = delete;
    ~SingleWindow() { destroy(); }

    Window *window() const { return m_window.data(); }

    template <class Make> Window *get(Make make)
    {
        if (!m_window) {
            m_window = make();
            m_window->setAttribute(Qt::WA_DeleteOnClose);
        }
        return m_window.data();
    }

    // Gone at once, without its own closing handler.
    void destroy() { delete m_window.data(); }

private:
    QPointer<Window> m_window;
};
