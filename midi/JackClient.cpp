#include "midi/JackClient.h"

#if defined(KESTRALUX_HAVE_JACK)

#include <cstring>
#include <mutex>

namespace kestralux {

namespace {

std::mutex& turns() {
  static std::mutex lock;
  return lock;
}

// How many times the library freed the clients of a lost server; a client opened before the
// latest time is freed.
std::atomic<std::uint64_t> era{0};
// The latest era one of whose clients heard its server go, or -1: the library frees every client
// at the next open then.
std::atomic<std::int64_t> lostInEra{-1};

// The JACK library says this as it frees the clients of a lost server. It is heard as well as the
// shutdown itself because the library takes the server for lost a moment before it tells a
// client so, and an open in that moment frees them all the same.
constexpr const char* kCleanupSaid = "Jack server was closed but clients are still allocated";
bool cleanupSaid = false;  // under turns()

void holdBack(const char* text) {
  if (text && std::strncmp(text, kCleanupSaid, std::strlen(kCleanupSaid)) == 0) cleanupSaid = true;
}

// The library prints to stderr when no server answers; a failed open is the caller's to tell.
class MessagesHeldBack {
 public:
  MessagesHeldBack() : error_(jack_error_callback), info_(jack_info_callback) {
    jack_set_error_function(holdBack);
    jack_set_info_function(holdBack);
  }
  ~MessagesHeldBack() {
    if (error_) jack_set_error_function(error_);
    if (info_) jack_set_info_function(info_);
  }
  MessagesHeldBack(const MessagesHeldBack&) = delete;
  MessagesHeldBack& operator=(const MessagesHeldBack&) = delete;

 private:
  void (*error_)(const char*);
  void (*info_)(const char*);
};

}  // namespace

JackClient::Turn::Turn() { turns().lock(); }
JackClient::Turn::~Turn() { turns().unlock(); }

std::unique_ptr<JackClient> JackClient::open(const std::string& name) {
  Turn turn;
  const std::uint64_t before = era.load();
  cleanupSaid = false;
  jack_client_t* handle = nullptr;
  {
    MessagesHeldBack quiet;
    jack_status_t status{};
    handle = jack_client_open(name.c_str(), JackNoStartServer, &status);
  }
  if (cleanupSaid || lostInEra.load() >= static_cast<std::int64_t>(before)) era.store(before + 1);
  if (!handle) return nullptr;
  std::unique_ptr<JackClient> client(new JackClient);
  client->client_ = handle;
  client->era_ = era.load();
  jack_on_shutdown(handle, [](void* self) { static_cast<JackClient*>(self)->heardServerGone(); }, client.get());
  return client;
}

// On the client's own thread, which the library may be stopping from inside an open that holds
// the turn: so only flags here.
void JackClient::heardServerGone() {
  serverGone_ = true;
  std::int64_t seen = lostInEra.load();
  const auto mine = static_cast<std::int64_t>(era_);
  while (seen < mine && !lostInEra.compare_exchange_weak(seen, mine)) {
  }
}

JackClient::~JackClient() {
  Turn turn;
  if (freed()) return;
  // A client whose server went away is closed on the program's side only; the library says so
  // at every step, and the loss was told where it mattered.
  MessagesHeldBack quiet;
  if (active_) jack_deactivate(client_);
  jack_client_close(client_);
}

bool JackClient::freed() const { return era_ != era.load(); }

// One client of ours hearing the server go is enough: the library takes it for gone for all.
bool JackClient::lost() const {
  return serverGone_ || freed() || lostInEra.load() >= static_cast<std::int64_t>(era_);
}

bool JackClient::activate() {
  Turn turn;
  if (lost() || jack_activate(client_) != 0) return false;
  active_ = true;
  return true;
}

}  // namespace kestralux

#endif
