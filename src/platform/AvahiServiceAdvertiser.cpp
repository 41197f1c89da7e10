#include "platform/AvahiServiceAdvertiser.h"

#include "platform/AvahiDaemonConnection.h"

#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace tarnik {
namespace {

// Each collision moves to a fresh alternative name, so this only stops a daemon that keeps
// refusing every name from holding us in a loop.
constexpr int maximumNameAttempts = 100;

}  // namespace

AvahiServiceAdvertiser::AvahiServiceAdvertiser(const QString &name, const QString &type,
                                               quint16 port, QObject *parent)
    : QObject(parent), name_(name), type_(type), port_(port) {
  auto connection = AvahiDaemonConnection::open();
  if (!connection) {
    fail(connection.error());
    return;
  }
  connection_ = std::move(*connection);
  connection_->setStateHandler([this](AvahiClientState state) { clientStateChanged(state); });
  clientStateChanged(connection_->state());
}

AvahiServiceAdvertiser::~AvahiServiceAdvertiser() {
  if (group_ != nullptr) {
    avahi_entry_group_free(group_);
  }
}

void AvahiServiceAdvertiser::clientStateChanged(int state) {
  switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
      publish();
      break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
      // The daemon is renaming the host: withdraw now and announce again once it runs.
      if (group_ != nullptr) {
        avahi_entry_group_reset(group_);
      }
      break;
    case AVAHI_CLIENT_FAILURE:
      fail(connection_->errorText());
      break;
    default:
      break;
  }
}

void AvahiServiceAdvertiser::groupStateChanged(int state) {
  switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
      if (!failure_.hasFailed()) {
        QMetaObject::invokeMethod(
            this, [this, name = name_] { emit registered(name); }, Qt::QueuedConnection);
      }
      break;
    case AVAHI_ENTRY_GROUP_COLLISION:
      // Another host on the network announced the same name.
      takeAlternativeName();
      avahi_entry_group_reset(group_);
      publish();
      break;
    case AVAHI_ENTRY_GROUP_FAILURE:
      fail(connection_->errorText());
      break;
    default:
      break;
  }
}

void AvahiServiceAdvertiser::publish() {
  if (failure_.hasFailed()) {
    return;
  }
  if (group_ == nullptr) {
    group_ = avahi_entry_group_new(
        connection_->client(),
        [](::AvahiEntryGroup *, AvahiEntryGroupState state, void *userdata) {
          auto *self = static_cast<AvahiServiceAdvertiser *>(userdata);
          // The first report comes from inside avahi_entry_group_new(); it is always
          // "uncommitted", which needs nothing.
          if (self->group_ != nullptr) {
            self->groupStateChanged(state);
          }
        },
        this);
    if (group_ == nullptr) {
      fail(connection_->errorText());
      return;
    }
  }
  if (!avahi_entry_group_is_empty(group_)) {
    return;  // already announced or on its way
  }
  const QByteArray type = type_.toUtf8();
  for (int attempt = 0; attempt < maximumNameAttempts; ++attempt) {
    // A service of this daemon already holding the name is refused at once.
    const int result = avahi_entry_group_add_service_strlst(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
        name_.toUtf8().constData(), type.constData(), nullptr, nullptr, port_, nullptr);
    if (result == AVAHI_ERR_COLLISION) {
      takeAlternativeName();
      continue;
    }
    if (result < 0) {
      fail(avahiErrorText(result));
      return;
    }
    if (const int committed = avahi_entry_group_commit(group_); committed < 0) {
      fail(avahiErrorText(committed));
    }
    return;
  }
  fail(avahiErrorText(AVAHI_ERR_COLLISION));
}

void AvahiServiceAdvertiser::takeAlternativeName() {
  char *alternative = avahi_alternative_service_name(name_.toUtf8().constData());
  name_ = QString::fromUtf8(alternative);
  avahi_free(alternative);
}

}  // namespace tarnik
