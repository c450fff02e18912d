#include "engine/task.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engine/http_util.h"
#include "engine/task_records.h"

namespace lum::engine {
namespace {

constexpr std::int64_t kUnknownEnd = std::numeric_limits<std::int64_t>::max();

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

// Receives one response for one segment. Nothing reaches the data file before
// the head has been checked against what the segment asked for, so error pages
// and bodies of another version of the file are never written.
class Task::Receiver : public IHttpSink {
 public:
  enum class Verdict { None, Accepted, Redirect, Changed, HttpError, BadResponse, Empty, Ended };

  Receiver(Task& task, Segment* seg, bool freshProbe, bool probe, std::int64_t from,
           std::vector<std::uint8_t>& buf)
      : t_(task), seg_(seg), freshProbe_(freshProbe), probe_(probe), from_(from), buf_(buf) {}

  Verdict verdict = Verdict::None;
  int status = 0;
  std::string location;
  bool ioError = false;

  bool OnHead(const HttpHead& h) override {
    status = h.status;
    if (IsRedirect(h.status) && !h.location.empty()) {
      location = h.location;
      return Decide(Verdict::Redirect);
    }
    bool go = freshProbe_ ? ProbeHead(h) : SegmentHead(h);
    // The first good answer of a transfer brings in the other connections.
    if (go && probe_) t_.Started();
    return go;
  }

  bool OnBody(const std::uint8_t* p, std::size_t n) override {
    if (verdict != Verdict::Accepted) return false;
    // Bytes that have already arrived are kept when the task is stopped (the
    // next start need not fetch them again), but not once the server's file
    // is known to have changed.
    const bool stopping = t_.CancelRequested();
    if (stopping && t_.changed_.load()) return false;
    if (skip_ > 0) {
      std::size_t k = static_cast<std::size_t>(std::min<std::int64_t>(skip_, n));
      skip_ -= k, p += k, n -= k;
      if (n == 0) return !stopping;
    }
    std::int64_t take;
    bool moreUnwanted;
    {
      std::lock_guard g(t_.mu_);
      take = std::min<std::int64_t>(static_cast<std::int64_t>(n), seg_->end - seg_->pos);
      seg_->pos += take;
      // The segment is complete but the response goes on (its tail was
      // handed to another connection, or the server sends more than asked).
      moreUnwanted = seg_->pos >= seg_->end && until_ > seg_->pos;
    }
    if (take > 0) {
      t_.received_.fetch_add(take, std::memory_order_relaxed);
      std::size_t left = static_cast<std::size_t>(take);
      while (left > 0) {
        std::size_t room = buf_.capacity() - buf_.size();
        if (room == 0) {
          if (!t_.Flush(seg_, buf_)) return Io();
          continue;
        }
        std::size_t k = std::min(room, left);
        buf_.insert(buf_.end(), p, p + k);
        p += k, left -= k;
      }
      t_.settings_->limiter.Consume(static_cast<std::size_t>(take), t_.cancel_);
    }
    // A response that ends where the segment ends is read to its end, so the
    // connection stays usable for the next request.
    return !stopping && !moreUnwanted && take == static_cast<std::int64_t>(n);
  }

 private:
  bool Decide(Verdict v) {
    verdict = v;
    return v == Verdict::Accepted;
  }
  bool Io() {
    ioError = true;
    return false;
  }

  // The first request of a fresh transfer asks for "bytes=0-": a 206 says
  // the server serves ranges, a 200 that it does not.
  bool ProbeHead(const HttpHead& h) {
    if (h.status == 206) {
      auto cr = ParseContentRange(h.contentRange);
      if (!cr || cr->first != 0) return Decide(Verdict::BadResponse);
      std::lock_guard g(t_.mu_);
      t_.etag_ = h.etag, t_.lastModified_ = h.lastModified;
      t_.ranges_ = cr->total >= 0;
      t_.total_ = cr->total;
      seg_->end = cr->total >= 0 ? cr->total : kUnknownEnd;
      until_ = cr->last >= 0 ? cr->last + 1 : kUnknownEnd;
      return Decide(Verdict::Accepted);
    }
    if (h.status == 200) {
      std::lock_guard g(t_.mu_);
      t_.etag_ = h.etag, t_.lastModified_ = h.lastModified;
      t_.ranges_ = false;
      t_.total_ = h.contentLength;
      seg_->end = h.contentLength >= 0 ? h.contentLength : kUnknownEnd;
      until_ = seg_->end;
      return Decide(Verdict::Accepted);
    }
    if (h.status == 416) {
      // "bytes */0": the file is empty, so not even byte 0 exists.
      auto cr = ParseContentRange(h.contentRange);
      if (cr && cr->first < 0 && cr->total == 0) {
        std::lock_guard g(t_.mu_);
        t_.total_ = 0;
        seg_->end = 0;
        return Decide(Verdict::Empty);
      }
      return Decide(Verdict::BadResponse);
    }
    return Decide(Verdict::HttpError);
  }

  bool SameVersion(const HttpHead& h) {
    std::lock_guard g(t_.mu_);
    if (!t_.etag_.empty() && !h.etag.empty()) return t_.etag_ == h.etag;
    if (!t_.lastModified_.empty() && !h.lastModified.empty()) return t_.lastModified_ == h.lastModified;
    return true;
  }

  bool SegmentHead(const HttpHead& h) {
    std::int64_t total = t_.total_.load();
    if (h.status == 206) {
      auto cr = ParseContentRange(h.contentRange);
      if (!cr || cr->first < 0) return Decide(Verdict::BadResponse);
      if (cr->total != total || !SameVersion(h)) return Decide(Verdict::Changed);
      if (cr->first != from_) return Decide(Verdict::BadResponse);
      until_ = cr->last >= 0 ? cr->last + 1 : kUnknownEnd;
      return Decide(Verdict::Accepted);
    }
    if (h.status == 200) {
      // The whole file again. Usable only by the segment at the head of the
      // file, and only when it is still the same file; any other segment
      // would write the start of the file at its own offset.
      bool sameLength = total < 0 || h.contentLength < 0 || h.contentLength == total;
      if (seg_->start != 0 || !SameVersion(h) || !sameLength) return Decide(Verdict::Changed);
      skip_ = from_;
      until_ = h.contentLength >= 0 ? h.contentLength : kUnknownEnd;
      return Decide(Verdict::Accepted);
    }
    if (h.status == 416 && total < 0 && from_ > 0) {
      // A stream of unknown length, read in pieces, that ends exactly where
      // the last piece ended: nothing is left from here on.
      auto cr = ParseContentRange(h.contentRange);
      if (!cr || cr->total < 0 || cr->total == from_) return Decide(Verdict::Ended);
      return Decide(Verdict::BadResponse);
    }
    return Decide(Verdict::HttpError);
  }

  Task& t_;
  Segment* seg_;
  bool freshProbe_;
  bool probe_;
  std::int64_t from_;
  std::int64_t skip_ = 0;
  std::int64_t until_ = kUnknownEnd;  // where the body the server sends ends (file offset)
  std::vector<std::uint8_t>& buf_;
};

Task::Task(TaskSpec setup, std::shared_ptr<IHttpTransport> transport,
           std::shared_ptr<IEngineFiles> files, std::shared_ptr<SharedSettings> settings)
    : spec_(std::move(setup)),
      target_(JoinPath(spec_.saveDir, spec_.fileName)),
      transport_(std::move(transport)),
      files_(std::move(files)),
      settings_(std::move(settings)),
      opt_(settings_->options) {}

Task::~Task() { Stop(); }

bool Task::Start() {
  std::int32_t s = status_.load();
  if (s == kStatusFinished) return true;
  if (started_.load() && (s == kStatusStartPending || s == kStatusDownloading)) return true;
  if (controller_.joinable()) controller_.join();
  stopRequested_ = false;
  cancel_ = false;
  failCode_ = 0;
  lastError_ = 0;
  status_ = kStatusStartPending;
  started_ = true;
  try {
    controller_ = std::thread(&Task::Run, this);
  } catch (...) {
    status_ = kStatusFailed;
    failCode_ = kFailNetwork;
    return false;
  }
  return true;
}

void Task::RequestStop() {
  {
    std::lock_guard g(stopMu_);
    stopRequested_ = true;
    cancel_ = true;
  }
  stopCv_.notify_all();
}

void Task::Stop() {
  RequestStop();
  if (controller_.joinable()) controller_.join();
}

TaskSnapshot Task::Query() {
  TaskSnapshot s;
  s.status = status_.load();
  s.failCode = s.status == kStatusFailed ? failCode_.load() : 0;
  std::int64_t total = total_.load();
  s.total = std::max<std::int64_t>(total, 0);
  s.received = received_.load();
  if (s.status == kStatusFinished) {
    s.fraction = 1.0f;
  } else if (s.total > 0) {
    s.fraction = static_cast<float>(std::min(1.0, static_cast<double>(s.received) / s.total));
  }
  auto now = std::chrono::steady_clock::now();
  std::lock_guard g(speedMu_);
  if (s.status != kStatusDownloading && s.status != kStatusStartPending) {
    samples_.clear();
    return s;
  }
  samples_.emplace_back(now, s.received);
  while (samples_.size() >= 2 && samples_[1].first <= now - opt_.speedWindow) samples_.pop_front();
  double dt = std::chrono::duration<double>(now - samples_.front().first).count();
  std::int64_t db = s.received - samples_.front().second;
  if (dt > 0.05 && db > 0) {
    s.speed = static_cast<std::int32_t>(std::min<double>(db / dt, std::numeric_limits<std::int32_t>::max()));
  }
  return s;
}

void Task::Fail(std::int32_t code) {
  std::int32_t none = 0;
  failCode_.compare_exchange_strong(none, code);
  cancel_ = true;
}

void Task::RecordFailure(std::int32_t code) { lastError_ = code; }

void Task::Backoff(int failures) {
  auto wait = opt_.backoffFirst * (1 << std::min(failures - 1, 10));
  wait = std::min(wait, opt_.backoffMax);
  std::unique_lock lk(stopMu_);
  stopCv_.wait_for(lk, wait, [this] { return CancelRequested(); });
}

// The speed window starts when the transfer starts, so the first query
// already reports the rate since then instead of nothing.
void Task::RestartSpeedWindow() {
  std::lock_guard g(speedMu_);
  samples_.clear();
  samples_.emplace_back(std::chrono::steady_clock::now(), received_.load());
}

void Task::Run() {
  RestartSpeedWindow();
  TransferState saved;
  bool resume = false;
  if (files_->Exists(TempPath())) {
    if (auto text = files_->ReadSmall(CfgPath())) {
      if (auto st = ParseState(*text); st && st->url == spec_.url) {
        saved = *st;
        resume = true;
      }
    }
  }
  for (int restarts = 0;;) {
    Outcome o = Outcome::Failed;
    try {
      o = Transfer(resume, saved);
    } catch (...) {
      Fail(kFailNetwork);
    }
    if (o == Outcome::Done) {
      bool ok = data_->Sync();
      data_.reset();
      ok = ok && files_->Rename(TempPath(), target_);
      if (!ok) {
        Fail(kFailFileIo);
        status_ = kStatusFailed;
        return;
      }
      files_->Remove(CfgPath());
      total_ = std::max<std::int64_t>(total_.load(), 0);
      status_ = kStatusFinished;
      return;
    }
    data_.reset();
    if (o == Outcome::Changed && !stopRequested_) {
      if (++restarts > opt_.maxRestarts) {
        Fail(kFailChangedTooOften);
        status_ = kStatusFailed;
        return;
      }
      files_->Remove(CfgPath());
      resume = false;
      cancel_ = false;
      RestartSpeedWindow();
      continue;
    }
    if (stopRequested_ && failCode_ == 0) {
      status_ = kStatusStopped;
      return;
    }
    if (failCode_ == 0) Fail(lastError_ != 0 ? lastError_.load() : kFailNetwork);
    // A fresh attempt that never got a byte leaves no empty partial file behind.
    if (!resume && received_ == 0) {
      files_->Remove(TempPath());
      files_->Remove(CfgPath());
    }
    status_ = kStatusFailed;
    return;
  }
}

Task::Outcome Task::Transfer(bool resume, const TransferState& saved) {
  changed_ = false;
  {
    std::lock_guard g(mu_);
    segs_.clear();
    workers_.clear();
    url_ = spec_.url;
  }
  data_ = files_->OpenData(TempPath(), !resume);
  if (!data_) {
    Fail(kFailFileIo);
    return Outcome::Failed;
  }
  {
    std::lock_guard ck(checkpointMu_);
    proofs_.clear();
  }
  if (resume) {
    // A data file shorter than the bytes its state claims was cut or replaced.
    std::int64_t present = saved.total;
    if (!saved.missing.empty() && saved.missing.back().to == saved.total) present = saved.missing.back().from;
    auto size = data_->Size();
    if (!size || *size < present) {
      resume = false;
      if (!data_->Truncate(0)) {
        Fail(kFailFileIo);
        return Outcome::Failed;
      }
    }
  }
  Segment* first;
  {
    std::lock_guard g(mu_);
    if (resume) {
      total_ = saved.total;
      etag_ = saved.etag, lastModified_ = saved.lastModified;
      ranges_ = true;
    }
  }
  // Only the pieces whose bytes still match their proof are kept; the rest
  // of the file is fetched again, whatever the state file claims.
  std::vector<ByteRange> toFetch;
  if (resume) toFetch = ProvenMissing(saved);
  {
    std::lock_guard g(mu_);
    if (resume) {
      std::int64_t missing = 0;
      for (const ByteRange& r : toFetch) {
        segs_.push_back({r.from, r.from, r.from, r.to, false});
        missing += r.to - r.from;
      }
      received_ = saved.total - missing;
      if (segs_.empty()) return Outcome::Done;
    } else {
      total_ = -1;
      received_ = 0;
      ranges_ = false;
      etag_.clear(), lastModified_.clear();
      segs_.push_back({0, 0, 0, kUnknownEnd, false});
    }
    first = &segs_.front();
    first->owned = true;
  }
  lastCheckpoint_ = std::chrono::steady_clock::now();
  WorkerLoop(true, first, resume);
  std::vector<std::thread> workers;
  {
    std::lock_guard g(mu_);
    workers.swap(workers_);
  }
  for (std::thread& w : workers) w.join();
  // What has arrived so far stays usable for a later start.
  if (!changed_ && received_ > 0) Checkpoint(true);

  if (changed_) return Outcome::Changed;
  if (failCode_ != 0) return Outcome::Failed;
  if (stopRequested_) return Outcome::Stopped;
  std::lock_guard g(mu_);
  return segs_.empty() ? Outcome::Done : Outcome::Failed;
}

void Task::Started() {
  status_ = kStatusDownloading;
  if (opt_.connections <= 1) return;
  std::int64_t missing = 0;
  {
    std::lock_guard g(mu_);
    if (!ranges_) return;
    for (const Segment& s : segs_) missing += s.end - s.pos;
  }
  std::int64_t pieces = missing / opt_.minPiece;
  SpawnWorkers(static_cast<int>(std::clamp<std::int64_t>(pieces - 1, 0, opt_.connections - 1)));
}

void Task::SpawnWorkers(int count) {
  std::lock_guard g(mu_);
  for (int i = 0; i < count; ++i) {
    try {
      workers_.emplace_back(&Task::WorkerLoop, this, false, nullptr, false);
    } catch (...) {
      break;  // fewer connections, still a download
    }
  }
}

// A segment nobody owns comes first; otherwise the tail half of the segment
// with the most bytes left, so that no connection idles while one crawls.
Task::Segment* Task::AcquireSegment() {
  std::lock_guard g(mu_);
  if (!ranges_) return nullptr;
  Segment* best = nullptr;
  for (Segment& s : segs_) {
    if (!s.owned && s.pos < s.end) {
      s.owned = true;
      return &s;
    }
    if (s.owned && (!best || s.end - s.pos > best->end - best->pos)) best = &s;
  }
  if (!best || best->end - best->pos < 2 * opt_.minPiece) return nullptr;
  std::int64_t left = best->end - best->pos;
  std::int64_t mid = best->pos + left / 2;
  mid = std::max(mid & ~std::int64_t{0xFFFF}, best->pos + opt_.minPiece);  // block-aligned when possible
  // Splitting inside the owner's request in flight cuts that response short
  // and the connection with it; split where the request ends instead when
  // that still leaves a fair share behind it.
  if (best->reqEnd > mid && best->reqEnd < best->end &&
      best->end - best->reqEnd >= std::max(opt_.minPiece, left / 4)) {
    mid = best->reqEnd;
  }
  segs_.push_back({mid, mid, mid, best->end, true});
  best->end = mid;
  return &segs_.back();
}

void Task::WorkerLoop(bool first, Segment* seg, bool resume) {
  try {
    std::unique_ptr<IHttpSession> session = transport_->NewSession();
    bool probe = first;
    std::int64_t piece = std::max<std::int64_t>(opt_.firstPiece, 1);  // this connection's next request size
    while (!CancelRequested()) {
      if (!seg) seg = AcquireSegment();
      if (!seg) break;
      SegResult r = FetchSegment(*session, seg, probe, probe && !resume, piece);
      probe = false;
      if (r == SegResult::Done) Checkpoint(true);
      {
        std::lock_guard g(mu_);
        if (r == SegResult::Done) {
          segs_.remove_if([seg](const Segment& s) { return &s == seg; });
        } else {
          seg->owned = false;
        }
      }
      if (r != SegResult::Done) break;
      seg = nullptr;
    }
  } catch (...) {
    Fail(kFailNetwork);
  }
}

bool Task::Flush(Segment* seg, std::vector<std::uint8_t>& buf) {
  if (buf.empty()) return true;
  std::int64_t at;
  {
    std::lock_guard g(mu_);
    at = seg->written;
  }
  if (!data_->WriteAt(at, buf.data(), buf.size())) {
    Fail(kFailFileIo);
    return false;
  }
  {
    std::lock_guard g(mu_);
    seg->written += static_cast<std::int64_t>(buf.size());
  }
  unrecorded_ += static_cast<std::int64_t>(buf.size());
  buf.clear();
  Checkpoint(false);
  return true;
}

void Task::Checkpoint(bool force) {
  std::unique_lock ck(checkpointMu_, std::defer_lock);
  if (force) {
    ck.lock();
  } else {
    if (!ck.try_lock()) return;
    if (std::chrono::steady_clock::now() - lastCheckpoint_ < opt_.checkpointEvery &&
        unrecorded_.load() < opt_.checkpointBytes)
      return;
  }
  unrecorded_ = 0;
  TransferState st;
  {
    std::lock_guard g(mu_);
    st.url = spec_.url;
    st.total = total_;
    st.etag = etag_, st.lastModified = lastModified_;
    for (const Segment& s : segs_) {
      if (s.written < s.end) st.missing.push_back({s.written, s.end});
    }
  }
  lastCheckpoint_ = std::chrono::steady_clock::now();
  if (st.total < 0) return;  // a stream of unknown length cannot be resumed
  std::sort(st.missing.begin(), st.missing.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.from < b.from; });
  // The state may only describe bytes that are already on the disk; their
  // proofs are read back after the flush.
  if (!data_->Sync()) {
    Fail(kFailFileIo);
    return;
  }
  std::map<std::int64_t, Proof> kept;
  for (const ByteRange& piece : ProofPieces(st.total, st.missing)) {
    Proof proof;
    if (!PieceCrc(piece, proof)) continue;
    kept[piece.from] = proof;
    st.proofs.push_back({piece, proof.crc});
  }
  proofs_.swap(kept);
  if (!files_->WriteSmallAtomic(CfgPath(), FormatState(st))) Fail(kFailFileIo);
}

// The CRC of a piece of present bytes, read back from the data file. A piece
// at the front of a connection's writing grows from one state to the next;
// its CRC is carried on over the new bytes only, so every byte is read back
// once.
bool Task::PieceCrc(const ByteRange& piece, Proof& proof) {
  std::int64_t from = piece.from;
  std::uint32_t crc = 0;
  auto it = proofs_.find(piece.from);
  if (it != proofs_.end() && it->second.to <= piece.to) {
    from = it->second.to;
    crc = it->second.crc;
  }
  proof.to = piece.to;
  proof.crc = crc;
  if (from == piece.to) return true;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(piece.to - from));
  if (!data_->ReadAt(from, buf.data(), buf.size())) return false;
  proof.crc = static_cast<std::uint32_t>(::crc32(crc, buf.data(), static_cast<uInt>(buf.size())));
  return true;
}

std::vector<ByteRange> Task::ProvenMissing(const TransferState& saved) {
  std::vector<ByteRange> proven;
  std::lock_guard ck(checkpointMu_);
  proofs_.clear();
  for (const RangeSum& claimed : saved.proofs) {
    Proof proof;
    if (!PieceCrc(claimed.range, proof) || proof.crc != claimed.crc) continue;
    proven.push_back(claimed.range);
    proofs_[claimed.range.from] = proof;
  }
  return RangesOutside(saved.total, proven);
}

// The next request size of a connection from how its last full piece went:
// about pieceTime at the rate seen, at most twice the last piece, within
// [minPiece, maxPiece].
std::int64_t Task::NextPiece(std::int64_t piece, std::int64_t bytes, double seconds) const {
  double rate = bytes / std::max(seconds, 1e-3);
  double want = rate * std::chrono::duration<double>(opt_.pieceTime).count();
  std::int64_t cap = std::max(opt_.minPiece, std::min(opt_.maxPiece, 2 * piece));
  return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::min(want, 9e18)), opt_.minPiece, cap);
}

Task::SegResult Task::FetchSegment(IHttpSession& session, Segment* seg, bool probe, bool freshProbe,
                                   std::int64_t& piece) {
  std::vector<std::uint8_t> buf;
  buf.reserve(opt_.writeBuffer);
  std::string url;
  {
    std::lock_guard g(mu_);
    url = url_;
  }
  int failures = 0, redirects = 0;
  bool fresh = freshProbe;
  for (;;) {
    if (CancelRequested()) return changed_ ? SegResult::Changed : SegResult::Stopped;
    HttpRequest req;
    req.url = url;
    req.userAgent = settings_->UserAgent();
    req.proxy = settings_->Proxy();
    std::int64_t from, end, to;
    {
      std::lock_guard g(mu_);
      from = seg->pos, end = seg->end;
      if (!fresh) req.ifRange = IfRangeValidator(etag_, lastModified_);
      // One piece from here; a remainder too small to be worth a request
      // of its own goes with it.
      to = end;
      if (fresh || ranges_) {
        to = from + piece;
        if (end != kUnknownEnd && end - to < opt_.minPiece) to = end;
      }
      seg->reqEnd = to;
    }
    if (fresh) {
      // The first request learns the length and whether ranges are served;
      // a server without ranges answers it with the whole file.
      req.rangeFrom = 0, req.rangeTo = to - 1;
    } else if (end == kUnknownEnd) {
      req.rangeFrom = from > 0 ? from : -1;
    } else {
      req.rangeFrom = from, req.rangeTo = to - 1;
    }
    Receiver rx(*this, seg, fresh, probe, from, buf);
    std::string error;
    auto sent = std::chrono::steady_clock::now();
    HttpResult r = session.Get(req, rx, cancel_, &error);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    {
      std::lock_guard g(mu_);
      seg->reqEnd = 0;
    }
    if (rx.ioError || !Flush(seg, buf)) return SegResult::Stopped;

    using V = Receiver::Verdict;
    bool progressed;
    {
      std::lock_guard g(mu_);
      progressed = seg->pos > from;
    }
    switch (rx.verdict) {
      case V::Redirect:
        if (++redirects > opt_.maxRedirects) {
          RecordFailure(kFailTooManyRedirects);
          return SegResult::GiveUp;
        }
        url = ResolveUrl(url, rx.location);
        if (probe) {
          std::lock_guard g(mu_);
          url_ = url;
        }
        continue;
      case V::Changed:
        changed_ = true;
        cancel_ = true;
        return SegResult::Changed;
      case V::Empty:
        return SegResult::Done;
      case V::Ended: {
        std::lock_guard g(mu_);
        seg->end = seg->pos;
        total_ = seg->pos;
        return SegResult::Done;
      }
      case V::HttpError:
        RecordFailure(rx.status);
        if (!IsRetryableStatus(rx.status)) return SegResult::GiveUp;
        break;
      case V::BadResponse:
        RecordFailure(kFailBadResponse);
        break;
      case V::Accepted:
        fresh = false;
        probe = false;
        // Only a whole piece tells the connection's rate; a piece cut short
        // by the segment's end or by the server does not.
        if (r == HttpResult::Complete && rx.status == 206 && req.rangeTo >= 0) {
          std::lock_guard g(mu_);
          if (seg->pos - from >= piece) piece = NextPiece(piece, seg->pos - from, seconds);
        }
        break;
      case V::None:
        RecordFailure(kFailNetwork);
        break;
    }
    {
      std::lock_guard g(mu_);
      // A stream of unknown length ends when the server ends it, unless the
      // response was only the piece asked for.
      bool pieceOnly = rx.status == 206 && req.rangeTo >= 0 && seg->pos > req.rangeTo;
      if (seg->end == kUnknownEnd && rx.verdict == V::Accepted && r == HttpResult::Complete && !pieceOnly) {
        seg->end = seg->pos;
        total_ = seg->pos;
      }
      if (seg->pos >= seg->end) return SegResult::Done;
    }
    if (CancelRequested()) return changed_ ? SegResult::Changed : SegResult::Stopped;
    if (rx.verdict == V::Accepted && r != HttpResult::Complete) RecordFailure(kFailNetwork);
    failures = progressed ? 0 : failures + 1;
    if (failures > opt_.maxRetries) return SegResult::GiveUp;
    if (failures > 0) Backoff(failures);
  }
}

}  // namespace lum::engine
