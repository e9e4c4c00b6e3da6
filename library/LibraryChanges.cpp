#include "library/LibraryChanges.h"

#include <algorithm>
#include <tuple>

#include "library/LibrarySchema.h"
#include "library/SightingWriter.h"
#include "library/Sqlite.h"

namespace kestralux {

namespace {

constexpr std::size_t kFingerprintOffset = static_cast<std::size_t>(kFirstParameterSlot) * 4;

std::span<const std::uint8_t> bytesOf(const std::string& s) { return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()}; }

PresetRecord soundOf(const std::string& fingerprint) {
  PresetRecord r;
  std::copy_n(fingerprint.begin(), std::min(fingerprint.size(), r.bytes.size() - kFingerprintOffset), r.bytes.begin() + kFingerprintOffset);
  return r;
}

const char* kindText(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Seen: return "seen";
    case ChangeKind::Tag: return "tag";
    case ChangeKind::Favourite: return "favourite";
    case ChangeKind::Note: return "note";
    case ChangeKind::Category: return "category";
  }
  return "seen";
}

std::optional<ChangeKind> kindNamed(const std::string& text) {
  for (ChangeKind k : {ChangeKind::Seen, ChangeKind::Tag, ChangeKind::Favourite, ChangeKind::Note, ChangeKind::Category})
    if (text == kindText(k)) return k;
  return std::nullopt;
}

// The stamps table's field: one per tag, by its folded form, so "Live" and "LIVE" are one tag.
std::string fieldOf(ChangeKind kind, const std::string& text) {
  return kind == ChangeKind::Tag ? "tag:" + foldedTag(text) : kindText(kind);
}

std::vector<std::string> tagsOf(const std::string& stored) {
  std::vector<std::string> tags;
  std::size_t start = 0;
  while (start < stored.size()) {
    std::size_t end = stored.find(',', start);
    if (end == std::string::npos) end = stored.size();
    if (end > start) tags.push_back(stored.substr(start, end - start));
    start = end + 1;
  }
  return tags;
}

std::string storedTags(const std::vector<std::string>& tags) {
  std::string stored;
  for (const std::string& t : tags) stored += "," + t;
  return stored.empty() ? stored : stored + ",";
}

struct Stamp {
  std::int64_t time = 0;
  std::string library;
  std::int64_t seq = 0;
  auto operator<=>(const Stamp&) const = default;
};

// The statements that change a sound's tags, favourite and note under their stamps.
struct FieldWriter {
  explicit FieldWriter(sqlite3* db)
      : find(db, "SELECT id, favourite, tags, note, coalesce(category, '') FROM sounds WHERE fingerprint = ?"),
        byId(db, "SELECT fingerprint, favourite, tags, note, coalesce(category, '') FROM sounds WHERE id = ?"),
        insertBare(db,
                   "INSERT INTO sounds(fingerprint, p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, "
                   "reserved, newest_name, first_seen, last_seen, times_seen) "
                   "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, x'', 0, 0, 0)"),
        insertNames(db, "INSERT INTO sound_names(sound, names) VALUES(?, x'0a')"),
        stampOf(db, "SELECT time, library, seq FROM stamps WHERE sound = ? AND field = ?"),
        setStamp(db, "INSERT OR REPLACE INTO stamps(sound, field, time, library, seq) VALUES(?, ?, ?, ?, ?)"),
        setFavourite(db, "UPDATE sounds SET favourite = ? WHERE id = ?"),
        setTags(db, "UPDATE sounds SET tags = ? WHERE id = ?"),
        setNote(db, "UPDATE sounds SET note = ? WHERE id = ?"),
        setCategory(db, "UPDATE sounds SET category = nullif(?, '') WHERE id = ?"),
        record(db, "INSERT INTO changes(kind, fingerprint, time, text, value) VALUES(?, ?, ?, ?, ?)") {}

  bool ok() const {
    return find.ok() && byId.ok() && insertBare.ok() && insertNames.ok() && stampOf.ok() && setStamp.ok() && setFavourite.ok() &&
           setTags.ok() && setNote.ok() && setCategory.ok() && record.ok();
  }

  struct Current {
    std::int64_t id = 0;
    std::string fingerprint;
    bool favourite = false;
    std::string tags, note, category;
  };

  // The sound with these values; made, seen no time yet, when the library lacks it (its
  // sighting may come later, from another library's file).
  int soundFor(sqlite3* db, const PresetRecord& sound, Current& out, bool& made) {
    made = false;
    out.fingerprint = soundFingerprint(sound);
    find.bindBlob(1, bytesOf(out.fingerprint));
    int code = find.step();
    if (code == SQLITE_ROW) {
      out.id = find.integer(0);
      out.favourite = find.integer(1) != 0;
      out.tags = find.text(2);
      out.note = find.text(3);
      out.category = find.text(4);
    }
    find.reset();
    if (code != SQLITE_DONE) return code == SQLITE_ROW ? SQLITE_DONE : code;
    insertBare.bindBlob(1, bytesOf(out.fingerprint));
    for (int p = 0; p < kParameterCount; ++p) insertBare.bind(2 + p, sound.value(p));
    insertBare.bind(18, sound.slot(kReservedSlot));
    code = insertBare.step();
    insertBare.reset();
    if (code != SQLITE_DONE) return code;
    out = Current{sqlite3_last_insert_rowid(db), out.fingerprint, false, "", "", ""};
    made = true;
    insertNames.bind(1, out.id);
    code = insertNames.step();
    insertNames.reset();
    return code;
  }

  int soundById(std::int64_t id, Current& out) {
    byId.bind(1, id);
    const int code = byId.step();
    if (code == SQLITE_ROW) out = Current{id, byId.blob(0), byId.integer(1) != 0, byId.text(2), byId.text(3), byId.text(4)};
    byId.reset();
    return code;
  }

  int stamp(std::int64_t sound, const std::string& field, std::optional<Stamp>& out) {
    stampOf.bind(1, sound).bind(2, field);
    const int code = stampOf.step();
    out.reset();
    if (code == SQLITE_ROW) out = Stamp{stampOf.integer(0), stampOf.text(1), stampOf.integer(2)};
    stampOf.reset();
    return code == SQLITE_ROW ? SQLITE_DONE : code;
  }

  // Applies a change stamped `at`, when no later change to the same thing is there. `took`
  // tells whether it did; `sound` follows.
  int apply(Current& sound, ChangeKind kind, const std::string& text, bool on, const Stamp& at, bool& took) {
    took = false;
    const std::string field = fieldOf(kind, text);
    std::optional<Stamp> before;
    int code = stamp(sound.id, field, before);
    if (code != SQLITE_DONE) return code;
    if (before && at <= *before) return SQLITE_DONE;
    took = true;
    sql::Statement* write = nullptr;
    if (kind == ChangeKind::Favourite) {
      sound.favourite = on;
      write = &setFavourite.bind(1, on ? 1 : 0);
    } else if (kind == ChangeKind::Note) {
      sound.note = text;
      write = &setNote.bind(1, text);
    } else if (kind == ChangeKind::Category) {
      sound.category = text;
      write = &setCategory.bind(1, text);
    } else {
      std::vector<std::string> tags = tagsOf(sound.tags);
      const std::string folded = foldedTag(text);
      std::erase_if(tags, [&](const std::string& t) { return foldedTag(t) == folded; });
      if (on) tags.push_back(text);
      sound.tags = storedTags(tags);
      write = &setTags.bind(1, sound.tags);
    }
    write->bind(2, sound.id);
    code = write->step();
    write->reset();
    if (code != SQLITE_DONE) return code;
    setStamp.bind(1, sound.id).bind(2, field).bind(3, at.time).bind(4, at.library).bind(5, at.seq);
    code = setStamp.step();
    setStamp.reset();
    return code;
  }

  // A change made here: recorded for the sync folder and applied. It is stamped `time`, or just
  // after a change from elsewhere stamped later (a machine whose clock is ahead), so that what
  // the user did here last wins everywhere.
  int change(sqlite3* db, const std::string& library, Current& sound, ChangeKind kind, const std::string& text, bool on,
             std::int64_t time) {
    std::optional<Stamp> before;
    int code = stamp(sound.id, fieldOf(kind, text), before);
    if (code != SQLITE_DONE) return code;
    if (before && before->time >= time) time = before->time + 1;
    record.bind(1, kindText(kind)).bindBlob(2, bytesOf(sound.fingerprint)).bind(3, time);
    if (kind == ChangeKind::Favourite) record.bindNull(4); else record.bind(4, text);
    if (kind == ChangeKind::Note || kind == ChangeKind::Category) record.bindNull(5); else record.bind(5, on ? 1 : 0);
    code = record.step();
    record.reset();
    if (code != SQLITE_DONE) return code;
    bool took = false;
    return apply(sound, kind, text, on, Stamp{time, library, sqlite3_last_insert_rowid(db)}, took);
  }

  sql::Statement find, byId, insertBare, insertNames, stampOf, setStamp, setFavourite, setTags, setNote, setCategory, record;
};

std::optional<std::string> failure(sqlite3* db, const char* what) { return std::string(what) + ": " + sql::message(db); }

// Runs `body` (SQLITE_DONE or a failure's code) in a transaction of its own.
template <typename Body>
std::optional<std::string> inTransaction(sqlite3* db, const char* what, Body body) {
  if (sql::execute(db, "BEGIN IMMEDIATE") != SQLITE_OK) return failure(db, what);
  const int code = body();
  if (code != SQLITE_DONE || sql::execute(db, "COMMIT") != SQLITE_OK) {
    auto why = failure(db, what);
    sql::execute(db, "ROLLBACK");
    return why;
  }
  return std::nullopt;
}

Change changeOfRow(const sql::Statement& s, const std::string& library) {
  // seq, kind, fingerprint, time, name, place, slot, path, text, value
  Change c;
  c.seq = s.integer(0);
  c.kind = kindNamed(s.text(1)).value_or(ChangeKind::Seen);
  c.sound = soundOf(s.blob(2));
  c.time = s.integer(3);
  c.library = library;
  c.name = s.blob(4);
  c.place = {sightingKindNamed(s.text(5)), static_cast<int>(s.integer(6)), s.text(7)};
  c.text = s.text(8);
  c.on = s.integer(9) != 0;
  return c;
}

}  // namespace

std::int64_t lastChange(PresetLibrary& library) {
  if (!library.connection()) return -1;
  sql::Statement s(library.connection(), "SELECT coalesce(max(seq), 0) FROM changes");
  return s.ok() && s.step() == SQLITE_ROW ? s.integer(0) : -1;
}

std::string readLibraryId(sqlite3* db) {
  sql::Statement s(db, "SELECT value FROM meta WHERE key = 'library id'");
  return s.ok() && s.step() == SQLITE_ROW ? s.text(0) : "";
}

std::optional<std::string> editSound(sqlite3* db, const std::string& library, std::int64_t id, const SoundEdit& edit,
                                     std::int64_t time) {
  std::optional<std::string> missing;
  auto why = inTransaction(db, "cannot write the library", [&] {
    FieldWriter writer(db);
    if (!writer.ok()) return SQLITE_ERROR;
    FieldWriter::Current sound;
    int code = writer.soundById(id, sound);
    if (code == SQLITE_DONE) missing = "no sound " + std::to_string(id) + " in the library";
    if (code != SQLITE_ROW) return code;
    code = SQLITE_DONE;
    switch (edit.what) {
      case SoundEdit::What::Favourite:
        if (sound.favourite != edit.favourite) code = writer.change(db, library, sound, ChangeKind::Favourite, "", edit.favourite, time);
        break;
      case SoundEdit::What::Note:
        if (sound.note != edit.note) code = writer.change(db, library, sound, ChangeKind::Note, edit.note, false, time);
        break;
      case SoundEdit::What::Category:
        if (sound.category != edit.category) code = writer.change(db, library, sound, ChangeKind::Category, edit.category, false, time);
        break;
      case SoundEdit::What::Tags: {
        const std::vector<std::string> before = tagsOf(sound.tags);
        for (const std::string& t : before)
          if (code == SQLITE_DONE && std::none_of(edit.tags.begin(), edit.tags.end(), [&](const std::string& n) { return foldedTag(n) == foldedTag(t); }))
            code = writer.change(db, library, sound, ChangeKind::Tag, t, false, time);
        // A tag given again in other capitals is changed to them.
        for (const std::string& t : edit.tags)
          if (code == SQLITE_DONE && std::find(before.begin(), before.end(), t) == before.end())
            code = writer.change(db, library, sound, ChangeKind::Tag, t, true, time);
        // The user's order, which the changes above need not leave.
        if (code == SQLITE_DONE) {
          writer.setTags.bind(1, storedTags(edit.tags)).bind(2, id);
          code = writer.setTags.step();
          writer.setTags.reset();
        }
        break;
      }
    }
    return code;
  });
  return missing ? missing : why;
}

Merged mergeChanges(PresetLibrary& library, std::span<const Change> changes) {
  Merged merged;
  library.followFile();
  sqlite3* db = library.connection();
  if (!library.writable()) {
    merged.error = db ? "the library is read-only" : "the library is not open";
    return merged;
  }
  const auto why = inTransaction(db, "cannot write the library", [&] {
    SightingWriter sightings(db, library.libraryId());
    FieldWriter fields(db);
    if (!sightings.ok() || !fields.ok()) return SQLITE_ERROR;
    for (const Change& c : changes) {
      int code;
      if (c.kind == ChangeKind::Seen) {
        bool isNew = false, kept = false;
        code = sightings.noteFrom(db, c.sound, Sighting{c.time, c.name, c.place}, c.library, c.seq, isNew, kept);
        merged.newSounds += isNew;
        merged.sightings += kept;
      } else {
        FieldWriter::Current sound;
        bool made = false, took = false;
        code = fields.soundFor(db, c.sound, sound, made);
        if (code == SQLITE_DONE) code = fields.apply(sound, c.kind, c.text, c.on, Stamp{c.time, c.library, c.seq}, took);
        merged.newSounds += made;
        (c.kind == ChangeKind::Tag         ? merged.tags
         : c.kind == ChangeKind::Favourite ? merged.favourites
         : c.kind == ChangeKind::Note      ? merged.notes
                                           : merged.categories) += took;
      }
      if (code != SQLITE_DONE) return code;
    }
    return SQLITE_DONE;
  });
  if (why) merged = Merged{0, 0, 0, 0, 0, 0, why};
  return merged;
}

Joined joinSounds(PresetLibrary& library, std::span<const SharedSound> sounds, const std::string& path, std::int64_t time) {
  Joined joined;
  library.followFile();
  sqlite3* db = library.connection();
  if (!library.writable()) {
    joined.error = db ? "the library is read-only" : "the library is not open";
    return joined;
  }
  const std::string& self = library.libraryId();
  const auto why = inTransaction(db, "cannot write the library", [&] {
    SightingWriter sightings(db, self);
    FieldWriter fields(db);
    sql::Statement named(db, "SELECT 1 FROM sightings WHERE sound = (SELECT id FROM sounds WHERE fingerprint = ?) AND name = ?");
    sql::Statement fromHere(db,
                            "SELECT 1 FROM sightings WHERE sound = (SELECT id FROM sounds WHERE fingerprint = ?) "
                            "AND kind = 'imported' AND path = ?");
    if (!sightings.ok() || !fields.ok() || !named.ok() || !fromHere.ok()) return SQLITE_ERROR;
    const Place here{SightingKind::Imported, 0, path};
    for (const SharedSound& shared : sounds) {
      const std::string fingerprint = soundFingerprint(shared.sound);
      FieldWriter::Current sound;
      bool made = false;
      // Known before this file: a sound new to the library counts once, not per name.
      fields.find.bindBlob(1, bytesOf(fingerprint));
      int code = fields.find.step();
      const bool known = code == SQLITE_ROW;
      fields.find.reset();
      if (code != SQLITE_ROW && code != SQLITE_DONE) return code;
      int names = 0;
      for (const SharedSound::Name& n : shared.names) {
        named.bindBlob(1, bytesOf(fingerprint)).bindBlob(2, bytesOf(n.name));
        code = named.step();
        named.reset();
        if (code == SQLITE_ROW) continue;
        if (code != SQLITE_DONE) return code;
        bool isNew = false;
        code = sightings.note(db, shared.sound, Sighting{n.time, n.name, here}, isNew);
        if (code != SQLITE_DONE) return code;
        ++names;
      }
      if (names == 0) {
        fromHere.bindBlob(1, bytesOf(fingerprint)).bind(2, path);
        code = fromHere.step();
        fromHere.reset();
        if (code == SQLITE_DONE) {
          bool isNew = false;
          const std::string name = shared.names.empty() ? "" : shared.names.back().name;
          code = sightings.note(db, shared.sound, Sighting{time, name, here}, isNew);
          if (code == SQLITE_DONE) ++(known ? joined.sightings : joined.newSounds);
        }
        if (code != SQLITE_DONE && code != SQLITE_ROW) return code;
      } else if (!known) {
        ++joined.newSounds;
      }
      code = fields.soundFor(db, shared.sound, sound, made);
      if (code != SQLITE_DONE) return code;
      int tags = 0, favourite = 0, note = 0, category = 0;
      for (const std::string& tag : shared.tags) {
        const std::vector<std::string> have = tagsOf(sound.tags);
        if (tag.empty() || std::any_of(have.begin(), have.end(), [&](const std::string& t) { return foldedTag(t) == foldedTag(tag); }))
          continue;
        code = fields.change(db, self, sound, ChangeKind::Tag, tag, true, time);
        if (code != SQLITE_DONE) return code;
        ++tags;
      }
      if (shared.favourite && !sound.favourite) {
        code = fields.change(db, self, sound, ChangeKind::Favourite, "", true, time);
        if (code != SQLITE_DONE) return code;
        favourite = 1;
      }
      if (!shared.note.empty() && sound.note.find(shared.note) == std::string::npos) {
        code = fields.change(db, self, sound, ChangeKind::Note, sound.note.empty() ? shared.note : sound.note + "\n" + shared.note, false, time);
        if (code != SQLITE_DONE) return code;
        note = 1;
      }
      if (!shared.category.empty() && sound.category.empty()) {
        code = fields.change(db, self, sound, ChangeKind::Category, shared.category, false, time);
        if (code != SQLITE_DONE) return code;
        category = 1;
      }
      if (known) {
        ++joined.knownSounds;
        joined.categories += category;
        joined.names += names;
        joined.tags += tags;
        joined.favourites += favourite;
        joined.notes += note;
      }
    }
    return SQLITE_DONE;
  });
  if (why) joined = Joined{0, 0, 0, 0, 0, 0, 0, 0, why};
  return joined;
}

std::vector<Change> changesSince(sqlite3* db, std::int64_t after, std::string& error) {
  std::vector<Change> out;
  const std::string self = readLibraryId(db);
  sql::Statement s(db, "SELECT seq, kind, fingerprint, time, name, place, slot, path, text, value FROM changes WHERE seq > ? ORDER BY seq");
  if (!s.ok()) {
    error = sql::message(db);
    return out;
  }
  s.bind(1, after);
  int code;
  while ((code = s.step()) == SQLITE_ROW) out.push_back(changeOfRow(s, self));
  if (code != SQLITE_DONE) error = sql::message(db);
  return out;
}

std::vector<Change> everyChange(sqlite3* db, std::string& error) {
  std::vector<Change> out;
  sql::Statement seen(db,
                      "SELECT s.origin_seq, 'seen', o.fingerprint, s.time, s.name, s.kind, s.slot, s.path, NULL, NULL, s.origin "
                      "FROM sightings s JOIN sounds o ON o.id = s.sound ORDER BY s.id");
  sql::Statement stamped(db,
                         "SELECT t.seq, CASE WHEN t.field LIKE 'tag:%' THEN 'tag' ELSE t.field END, o.fingerprint, t.time, NULL, NULL, NULL, "
                         "NULL, t.field, o.favourite, t.library, o.tags, o.note, coalesce(o.category, '') FROM stamps t JOIN sounds o ON o.id = t.sound");
  if (!seen.ok() || !stamped.ok()) {
    error = sql::message(db);
    return out;
  }
  int code;
  while ((code = seen.step()) == SQLITE_ROW) out.push_back(changeOfRow(seen, seen.text(10)));
  if (code != SQLITE_DONE) error = sql::message(db);
  while ((code = stamped.step()) == SQLITE_ROW) {
    Change c = changeOfRow(stamped, stamped.text(10));
    const std::string field = stamped.text(8);
    if (c.kind == ChangeKind::Note) {
      c.text = stamped.text(12);
    } else if (c.kind == ChangeKind::Category) {
      c.text = stamped.text(13);
    } else if (c.kind == ChangeKind::Tag) {
      // A tag the sound holds is as it holds it; one removed is known by its folded form.
      const std::string folded = field.substr(4);
      c.text = folded;
      c.on = false;
      for (const std::string& t : tagsOf(stamped.text(11)))
        if (foldedTag(t) == folded) c.text = t, c.on = true;
    }
    out.push_back(c);
  }
  if (code != SQLITE_DONE) error = sql::message(db);
  return out;
}

}  // namespace kestralux
