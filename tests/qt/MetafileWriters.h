// Writers of small WMF and EMF files, record by record.
#pragma once
#include <cstdint>
#include <vector>

// Little-endian words of `bytes` bytes.
inline void Put(std::vector<uint8_t>& out, int64_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct WmfWriter {
  std::vector<uint8_t> records;
  WmfWriter& Rec(uint16_t function, std::vector<int> params,
                 const std::vector<uint8_t>& tail = {}) {
    Put(records, static_cast<int64_t>(3 + params.size() + (tail.size() + 1) / 2));
    Put(records, function, 2);
    for (int p : params)
      Put(records, p, 2);
    records.insert(records.end(), tail.begin(), tail.end());
    if (tail.size() % 2) records.push_back(0);
    return *this;
  }
  std::vector<uint8_t> Build(bool placeable, std::vector<int> box = {0, 0, 200, 100},
                             int inch = 192) {
    std::vector<uint8_t> out;
    if (placeable) {
      Put(out, 0x9AC6CDD7), Put(out, 0, 2);
      for (int v : box)
        Put(out, v, 2);
      Put(out, inch, 2), Put(out, 0), Put(out, 0, 2);
    }
    Put(out, 1, 2), Put(out, 9, 2), Put(out, 0x0300, 2);
    Put(out, static_cast<int64_t>(9 + records.size() / 2 + 3));
    Put(out, 8, 2), Put(out, 100), Put(out, 0, 2);
    out.insert(out.end(), records.begin(), records.end());
    Put(out, 3), Put(out, 0, 2); // EOF
    return out;
  }
};

struct EmfWriter {
  std::vector<uint8_t> records;
  int count = 0;
  EmfWriter& Rec(uint32_t type, const std::vector<int64_t>& params,
                 const std::vector<uint8_t>& tail = {}) {
    Put(records, type);
    Put(records, static_cast<int64_t>(8 + 4 * params.size() + tail.size()));
    for (int64_t p : params)
      Put(records, p);
    records.insert(records.end(), tail.begin(), tail.end());
    ++count;
    return *this;
  }
  std::vector<uint8_t> Build() {
    Rec(14, {0, 16, 20});
    std::vector<uint8_t> out;
    Put(out, 1), Put(out, 88);
    for (int v : {0, 0, 99, 49, 0, 0, 2646, 1323})
      Put(out, v);
    Put(out, 0x464D4520), Put(out, 0x10000);
    Put(out, static_cast<int64_t>(88 + records.size())), Put(out, count + 1);
    Put(out, 8); // handles
    for (int v : {0, 0, 0, 960, 960, 254, 254})
      Put(out, v);
    out.insert(out.end(), records.begin(), records.end());
    return out;
  }
};
