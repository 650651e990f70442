// The entry points: compression and the file system around the writer and the loader.
#include "configfiles/config_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "configfiles/atomic_file.h"
#include "configfiles/bounded_inflater.h"
#include "profile/fixed_texts.h"

namespace quillon {

namespace {

// What the loader gets from the decompression, the text or the reason it gets none.
class TTextGatherer {
 public:
  TTextGatherer()
      : inflater_(kMaxConfigurationText,
                  [this](const char* data, size_t size) { text_.append(data, size); }) {}

  bool Feed(const char* data, size_t size) {
    return inflater_.Feed(data, size) == TBoundedInflater::isMore;
  }

  // The text, or a result saying why there is none (its message, if any, logged).
  bool Finish(TLoadResult& result, TConfigMessages& messages) {
    switch (inflater_.Finish()) {
      case TBoundedInflater::isDone:
        return true;
      case TBoundedInflater::isTooLarge:
        messages.Add(quillon::Text(TText::InputFileTooLarge));
        result.Outcome = loTooLarge;
        return false;
      default:
        result.Outcome = loCorrupt;
        result.Error = "Error: " + inflater_.Error();
        return false;
    }
  }

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  TBoundedInflater inflater_;
};

}  // namespace

bool SaveConfigurationToBuffer(const CommandProfile& profile, const IParameterEditor& editor,
                               std::string& out, TConfigMessages& messages,
                               const TConfigSaveOptions& options) {
  out.clear();
  const std::string xml = WriteConfigurationXml(profile, editor, messages, options);
  if (xml.size() > kMaxConfigurationText) {
    // The loader refuses such a text, so a file of it would be a backup that cannot be restored.
    messages.Add(Text(TText::ConfigurationTooLong, {std::to_string(kMaxConfigurationText)}));
    return false;
  }
  out = DeflateBest(xml);
  return true;
}

bool SaveConfigurationToFile(const CommandProfile& profile, const IParameterEditor& editor,
                             const std::string& fileName, TConfigMessages& messages,
                             const TConfigSaveOptions& options) {
  std::string data;
  if (!SaveConfigurationToBuffer(profile, editor, data, messages, options)) return false;
  std::string error;
  if (!WriteFileAtomically(fileName, data, error)) {
    messages.Add(Text(TText::CannotCreateFile, {error}));
    return false;
  }
  return true;
}

TLoadResult LoadConfigurationFromBuffer(const CommandProfile& profile, IParameterEditor& editor,
                                        const std::string& data, TConfigMessages& messages) {
  TTextGatherer gatherer;
  gatherer.Feed(data.data(), data.size());
  TLoadResult result;
  if (!gatherer.Finish(result, messages)) return result;
  return LoadConfigurationXml(profile, editor, gatherer.Text(), messages);
}

TLoadResult LoadConfigurationFromFile(const CommandProfile& profile, IParameterEditor& editor,
                                      const std::string& fileName, TConfigMessages& messages) {
  TLoadResult result;
  const auto cannotOpen = [&](int code) {
    messages.Add(Text(TText::CannotOpenFile, {std::strerror(code)}));
    result.Outcome = loNotOpened;
    return result;
  };
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return cannotOpen(errno);
  // Read in slices and only as far as the stream goes: data after it, however much, is ignored.
  TTextGatherer gatherer;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int code = errno;
      close(fd);
      return cannotOpen(code);
    }
    if (n == 0 || !gatherer.Feed(buffer, static_cast<size_t>(n))) break;
  }
  close(fd);
  if (!gatherer.Finish(result, messages)) return result;
  return LoadConfigurationXml(profile, editor, gatherer.Text(), messages);
}

}  // namespace quillon
