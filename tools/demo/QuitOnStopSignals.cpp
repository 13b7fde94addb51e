#include "demo/QuitOnStopSignals.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

namespace orvel::demo {
namespace {

sigset_t StopSignals() {
  sigset_t stopSet;
  sigemptyset(&stopSet);
  sigaddset(&stopSet, SIGINT);
  sigaddset(&stopSet, SIGTERM);
  sigaddset(&stopSet, SIGHUP);
  return stopSet;
}

}  // namespace

void QuitOnStopSignals::BlockStopSignals() {
  const sigset_t stopSet = StopSignals();
  if (const int error = ::pthread_sigmask(SIG_BLOCK, &stopSet, nullptr); error != 0) {
    throw std::runtime_error(std::string("Cannot take over Ctrl+C: ") + std::strerror(error));
  }
}

QuitOnStopSignals::QuitOnStopSignals(QObject* parent) : QObject(parent) {
  const sigset_t stopSet = StopSignals();
  signalFd_ = ::signalfd(-1, &stopSet, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signalFd_ < 0) {
    const int error = errno;
    throw std::runtime_error(std::string("Cannot watch for Ctrl+C: ") + std::strerror(error));
  }
  notifier_ = new QSocketNotifier(signalFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitOnStopSignals::SignalArrived);
}

QuitOnStopSignals::~QuitOnStopSignals() {
  delete notifier_;
  ::close(signalFd_);
}

void QuitOnStopSignals::SignalArrived() {
  // Several stopSet may have arrived together; one quit answers them all.
  signalfd_siginfo received{};
  while (::read(signalFd_, &received, sizeof received) == static_cast<ssize_t>(sizeof received)) continue;
  QCoreApplication::quit();
}

}  // namespace orvel::demo
