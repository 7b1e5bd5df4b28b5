#include "app/explorer/FolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace {

// Entries made, gone, renamed or touched; writes into files; the folder
// itself gone or moved.
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE |
                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

TFolderWatch::TFolderWatch(QObject* parent) : QObject(parent)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TFolderWatch::Drain);
}

TFolderWatch::~TFolderWatch()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TFolderWatch::Watch(const QString& folder)
{
    Stop();
    if (m_fd < 0)
        return false;
    m_wd = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), kEvents);
    return m_wd >= 0;
}

void TFolderWatch::Stop()
{
    if (m_wd >= 0)
        ::inotify_rm_watch(m_fd, m_wd);
    m_wd = -1;
    Drain();  // what the last folder left is no change of the next
}

void TFolderWatch::Drain()
{
    // Events of a watch removed before still sit in the queue: only the
    // current one's count.
    alignas(inotify_event) std::array<char, 16384> buffer;
    bool changed = false;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // An overflowed queue lost events: a change of whatever was watched.
            if (event->mask & IN_Q_OVERFLOW) {
                changed = changed || m_wd >= 0;
                continue;
            }
            if (event->wd != m_wd || m_wd < 0)
                continue;
            changed = true;
            // The kernel dropped the watch: the folder is gone (or moved away).
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                if (!(event->mask & IN_IGNORED))
                    ::inotify_rm_watch(m_fd, m_wd);
                m_wd = -1;
            }
        }
    }
    if (changed)
        emit Changed();
}
