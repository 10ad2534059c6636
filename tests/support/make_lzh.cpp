// make_lzh: writes an LZH archive for the tests and benchmarks, since no
// Debian tool writes one whose member names are CP932 (jlha-utils gave an
// empty archive for such a name).
//
//   make_lzh METHOD LEVEL OUT.lzh FILE NAME [FILE NAME]...
//
// METHOD is -lh0- (stored) or -lh5-, -lh6-, -lh7- (LZSS with a window of
// 2^13, 2^15, 2^16 bytes, then static Huffman codes, one set per block of at
// most 65535 codes); LEVEL is the header level 0, 1 or 2. Each NAME is
// stored as its bytes, unconverted, but for "%00", which stands for a NUL
// that no argument can hold. The compressed stream is the one LHa
// decodes: per block a 16-bit code count, the code lengths of the lengths
// (3 bits, longer ones in unary), of the characters and lengths (run codes
// for zeros), of the position bit counts; then the codes, most significant
// bit first.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <queue>
#include <string>
#include <vector>

namespace {

constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;  // shortest match
constexpr int kNC = 256 + kMaxMatch - kThreshold + 2;
constexpr int kNT = 19;
constexpr int kTBit = 5;
constexpr int kCBit = 9;
constexpr int kMaxCodeBits = 16;

class BitWriter {
 public:
  void Put(int bits, uint32_t value) {
    for (int i = bits - 1; i >= 0; --i) {
      byte_ = static_cast<uint8_t>(byte_ << 1 | ((value >> i) & 1));
      if (++filled_ == 8) Flush();
    }
  }
  std::string Finish() {
    while (filled_ != 0) Put(1, 0);
    return std::move(out_);
  }

 private:
  void Flush() {
    out_ += static_cast<char>(byte_);
    byte_ = 0;
    filled_ = 0;
  }
  std::string out_;
  uint8_t byte_ = 0;
  int filled_ = 0;
};

// Huffman code lengths of at most kMaxCodeBits for `freq`; rebuilt from
// halved counts until they fit.
std::vector<int> CodeLengths(std::vector<uint32_t> freq) {
  const size_t n = freq.size();
  for (;;) {
    std::vector<int> len(n, 0);
    using Node = std::pair<uint64_t, int>;
    std::priority_queue<Node, std::vector<Node>, std::greater<>> heap;
    std::vector<int> parent;
    for (size_t i = 0; i < n; ++i) {
      if (freq[i] > 0) heap.push({freq[i], static_cast<int>(i)});
    }
    parent.assign(n, -1);
    while (heap.size() > 1) {
      const Node a = heap.top();
      heap.pop();
      const Node b = heap.top();
      heap.pop();
      const int id = static_cast<int>(parent.size());
      parent.push_back(-1);
      parent[static_cast<size_t>(a.second)] = id;
      parent[static_cast<size_t>(b.second)] = id;
      heap.push({a.first + b.first, id});
    }
    int longest = 0;
    for (size_t i = 0; i < n; ++i) {
      if (freq[i] == 0) continue;
      for (int at = parent[i]; at != -1; at = parent[static_cast<size_t>(at)]) ++len[i];
      longest = std::max(longest, len[i]);
    }
    if (longest <= kMaxCodeBits) return len;
    for (auto& f : freq) f = f == 0 ? 0 : (f + 1) / 2;
  }
}

// Canonical codes: shorter first, equal lengths in symbol order (LHa's make_table).
std::vector<uint32_t> Codes(const std::vector<int>& len) {
  std::vector<uint32_t> code(len.size(), 0);
  uint32_t next = 0;
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
    for (size_t i = 0; i < len.size(); ++i) {
      if (len[i] == bits) code[i] = next++;
    }
    next <<= 1;
  }
  return code;
}

int Used(const std::vector<uint32_t>& freq, int& only) {
  int used = 0;
  for (size_t i = 0; i < freq.size(); ++i) {
    if (freq[i] > 0) {
      ++used;
      only = static_cast<int>(i);
    }
  }
  return used;
}

struct Code {
  int c;      // a character, or 256 + length - kThreshold
  uint32_t p; // the distance less one, for a length
};

int PositionBits(uint32_t p) {
  int bits = 0;
  while (p != 0) {
    ++bits;
    p >>= 1;
  }
  return bits;
}

class BlockWriter {
 public:
  BlockWriter(BitWriter& out, int np, int pbit) : out_(out), np_(np), pbit_(pbit) {}

  void Write(const std::vector<Code>& codes) {
    std::vector<uint32_t> cFreq(kNC, 0), pFreq(static_cast<size_t>(np_), 0);
    for (const Code& k : codes) {
      ++cFreq[static_cast<size_t>(k.c)];
      if (k.c >= 256) ++pFreq[static_cast<size_t>(PositionBits(k.p))];
    }
    out_.Put(16, static_cast<uint32_t>(codes.size()));
    int only = 0;
    std::vector<int> cLen(kNC, 0);
    if (Used(cFreq, only) == 1) {
      out_.Put(kTBit, 0);
      out_.Put(kTBit, 0);
      out_.Put(kCBit, 0);
      out_.Put(kCBit, static_cast<uint32_t>(only));
    } else {
      cLen = CodeLengths(cFreq);
      WriteCodeLengths(cLen);
    }
    std::vector<int> pLen(static_cast<size_t>(np_), 0);
    if (Used(pFreq, only) <= 1) {
      out_.Put(pbit_, 0);
      out_.Put(pbit_, static_cast<uint32_t>(only));
    } else {
      pLen = CodeLengths(pFreq);
      WriteTreeLengths(pLen, pbit_, -1);
    }
    const std::vector<uint32_t> cCode = Codes(cLen), pCode = Codes(pLen);
    for (const Code& k : codes) {
      out_.Put(cLen[static_cast<size_t>(k.c)], cCode[static_cast<size_t>(k.c)]);
      if (k.c < 256) continue;
      const int bits = PositionBits(k.p);
      out_.Put(pLen[static_cast<size_t>(bits)], pCode[static_cast<size_t>(bits)]);
      if (bits > 1) out_.Put(bits - 1, k.p & ((1u << (bits - 1)) - 1));
    }
  }

 private:
  // The runs of zero lengths that the length code writes: 1-2 as code 0
  // each, 3-18 as code 1 and 4 bits, 19 as 0 then 1 and 15, more as code 2
  // and 9 bits.
  template <typename Emit>
  static void WalkLengths(const std::vector<int>& cLen, Emit emit) {
    size_t n = cLen.size();
    while (n > 0 && cLen[n - 1] == 0) --n;
    for (size_t i = 0; i < n;) {
      const int k = cLen[i++];
      if (k != 0) {
        emit(k + 2, 0, 0);
        continue;
      }
      int count = 1;
      while (i < n && cLen[i] == 0) ++i, ++count;
      if (count <= 2) {
        for (int j = 0; j < count; ++j) emit(0, 0, 0);
      } else if (count <= 18) {
        emit(1, 4, static_cast<uint32_t>(count - 3));
      } else if (count == 19) {
        emit(0, 0, 0);
        emit(1, 4, 15);
      } else {
        emit(2, kCBit, static_cast<uint32_t>(count - 20));
      }
    }
  }

  void WriteCodeLengths(const std::vector<int>& cLen) {
    std::vector<uint32_t> tFreq(kNT, 0);
    WalkLengths(cLen, [&](int t, int, uint32_t) { ++tFreq[static_cast<size_t>(t)]; });
    int only = 0;
    std::vector<int> tLen(kNT, 0);
    if (Used(tFreq, only) == 1) {
      out_.Put(kTBit, 0);
      out_.Put(kTBit, static_cast<uint32_t>(only));
    } else {
      tLen = CodeLengths(tFreq);
      WriteTreeLengths(tLen, kTBit, 3);
    }
    const std::vector<uint32_t> tCode = Codes(tLen);
    size_t n = cLen.size();
    while (n > 0 && cLen[n - 1] == 0) --n;
    out_.Put(kCBit, static_cast<uint32_t>(n));
    WalkLengths(cLen, [&](int t, int bits, uint32_t value) {
      out_.Put(tLen[static_cast<size_t>(t)], tCode[static_cast<size_t>(t)]);
      if (bits > 0) out_.Put(bits, value);
    });
  }

  // Lengths up to 6 in 3 bits, longer ones as 111, a 1 for each above 7, a 0.
  // After entry `special` (the length code's), 2 bits count the zeros up to 6.
  void WriteTreeLengths(const std::vector<int>& len, int nbit, int special) {
    size_t n = len.size();
    while (n > 0 && len[n - 1] == 0) --n;
    out_.Put(nbit, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n;) {
      const int k = len[i++];
      if (k <= 6) out_.Put(3, static_cast<uint32_t>(k));
      else out_.Put(k - 3, (1u << (k - 3)) - 2);
      if (static_cast<int>(i) == special) {
        while (i < 6 && len[i] == 0) ++i;
        out_.Put(2, static_cast<uint32_t>((i - 3) & 3));
      }
    }
  }

  BitWriter& out_;
  int np_;
  int pbit_;
};

// Greedy LZSS over a window of 2^dicbit bytes, hash chains on three bytes.
std::vector<Code> Match(const std::string& data, int dicbit) {
  const size_t window = size_t{1} << dicbit;
  std::vector<int64_t> head(1 << 16, -1), prev(data.size(), -1);
  auto hash = [&](size_t at) {
    return (static_cast<unsigned char>(data[at]) << 8 ^ static_cast<unsigned char>(data[at + 1]) << 4 ^
            static_cast<unsigned char>(data[at + 2])) & 0xFFFF;
  };
  auto insert = [&](size_t at) {
    if (at + 2 >= data.size()) return;
    const auto h = static_cast<size_t>(hash(at));
    prev[at] = head[h];
    head[h] = static_cast<int64_t>(at);
  };
  std::vector<Code> codes;
  for (size_t at = 0; at < data.size();) {
    size_t best = 0, bestFrom = 0;
    if (at + 2 < data.size()) {
      int chain = 64;
      for (int64_t from = head[static_cast<size_t>(hash(at))]; from >= 0 && chain-- > 0;
           from = prev[static_cast<size_t>(from)]) {
        if (at - static_cast<size_t>(from) > window) break;
        size_t len = 0;
        while (len < kMaxMatch && at + len < data.size() && data[static_cast<size_t>(from) + len] == data[at + len]) ++len;
        if (len > best) best = len, bestFrom = static_cast<size_t>(from);
      }
    }
    if (best >= kThreshold) {
      codes.push_back({static_cast<int>(256 + best - kThreshold), static_cast<uint32_t>(at - bestFrom - 1)});
      for (size_t k = 0; k < best; ++k) insert(at + k);
      at += best;
    } else {
      codes.push_back({static_cast<unsigned char>(data[at]), 0});
      insert(at);
      ++at;
    }
  }
  return codes;
}

std::string Compress(const std::string& data, int dicbit) {
  BitWriter out;
  const int np = dicbit + 1;
  BlockWriter block(out, np, np > 14 ? 5 : 4);
  const std::vector<Code> codes = Match(data, dicbit);
  for (size_t from = 0; from < codes.size(); from += 65535) {
    const size_t to = std::min(codes.size(), from + 65535);
    block.Write(std::vector<Code>(codes.begin() + static_cast<long>(from), codes.begin() + static_cast<long>(to)));
  }
  return out.Finish();
}

uint16_t Crc16(const std::string& data) {
  uint16_t crc = 0;
  for (const char ch : data) {
    crc ^= static_cast<unsigned char>(ch);
    for (int k = 0; k < 8; ++k) crc = static_cast<uint16_t>(crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1);
  }
  return crc;
}

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

constexpr uint32_t kDosTime = (16u << 25 | 5u << 21 | 17u << 16) | (21u << 11 | 5u << 5);  // 1996-05-17 21:05
constexpr uint32_t kUnixTime = 832363500;  // the same moment

// One member: its header at `level`, then its packed bytes.
std::string Member(const std::string& method, int level, const std::string& name, const std::string& data,
                   const std::string& packed) {
  std::string h;
  const uint16_t crc = Crc16(data);
  if (level == 2) {
    // The common header (its CRC, of the whole header with the CRC as
    // zero, filled in last), an empty comment, then the file name: a reader
    // must walk past a header that holds nothing.
    std::string extended;
    Put16(extended, 5);
    extended += '\x00';
    Put16(extended, 0);
    Put16(extended, 3);
    extended += '\x3f';
    Put16(extended, static_cast<uint32_t>(name.size() + 3));
    extended += '\x01';
    extended += name;
    Put16(extended, 0);
    const auto total = static_cast<uint32_t>(24 + extended.size());
    Put16(h, total);
    h += method;
    Put32(h, static_cast<uint32_t>(packed.size()));
    Put32(h, static_cast<uint32_t>(data.size()));
    Put32(h, kUnixTime);
    h += '\x20';
    h += '\x02';
    Put16(h, crc);
    h += 'U';
    const size_t crcAt = h.size() + 3;
    h += extended;
    const uint16_t headerCrc = Crc16(h);
    h[crcAt] = static_cast<char>(headerCrc & 0xFF);
    h[crcAt + 1] = static_cast<char>(headerCrc >> 8);
    return h + packed;
  }
  std::string base = method;
  Put32(base, static_cast<uint32_t>(packed.size()));
  Put32(base, static_cast<uint32_t>(data.size()));
  Put32(base, kDosTime);
  base += '\x20';
  base += static_cast<char>(level);
  base += static_cast<char>(name.size());
  base += name;
  Put16(base, crc);
  if (level == 1) {
    base += 'M';
    Put16(base, 0);  // no extended header
  }
  unsigned sum = 0;
  for (const char ch : base) sum += static_cast<unsigned char>(ch);
  h += static_cast<char>(base.size());
  h += static_cast<char>(sum & 0xFF);
  return h + base + packed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || (argc - 4) % 2 != 0) {
    std::fprintf(stderr, "usage: make_lzh -lh0-|-lh5-|-lh6-|-lh7- 0|1|2 OUT.lzh FILE NAME...\n");
    return 2;
  }
  const std::string method = argv[1];
  const int level = std::atoi(argv[2]);
  const int dicbit = method == "-lh5-" ? 13 : method == "-lh6-" ? 15 : method == "-lh7-" ? 16 : 0;
  if ((dicbit == 0 && method != "-lh0-") || level < 0 || level > 2) {
    std::fprintf(stderr, "make_lzh: unknown method or level\n");
    return 2;
  }
  std::string archive;
  for (int i = 4; i + 1 < argc; i += 2) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "make_lzh: cannot read %s\n", argv[i]);
      return 1;
    }
    const std::string data{std::istreambuf_iterator<char>(in), {}};
    std::string name = argv[i + 1];
    for (size_t nul = name.find("%00"); nul != std::string::npos; nul = name.find("%00", nul + 1)) {
      name.replace(nul, 3, 1, '\0');
    }
    archive += Member(method, level, name, data, dicbit == 0 ? data : Compress(data, dicbit));
  }
  archive += '\0';  // the end of the archive
  std::ofstream out(argv[3], std::ios::binary);
  out << archive;
  return out ? 0 : 1;
}
