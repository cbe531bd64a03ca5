#pragma once
// What playing a file's records came to, shared by the EMF and WMF players.
namespace plendo::codecs::metafile {

struct PlayResult {
  bool drew = false;        // some record drew something
  bool broken = false;      // a record ran past the end or the chain broke; play stopped there
  bool emf_plus = false;    // EMF+ records were seen
  bool emf_plus_only = false;  // an EMF+ header without the dual flag: GDI records are no fallback
};

}  // namespace plendo::codecs::metafile
