#include "shell/about_text.h"

#include <cstddef>
#include <iterator>
#include <string>

#include "engine/recorder_state.h"

namespace framelark {

namespace {

// The author's contact number: the one every recording carries at the end
// of its comment, after "QQ:".
std::string ContactNumber() {
  const std::string comment = GifComment;
  const std::size_t at = comment.rfind("QQ:");
  return at == std::string::npos ? std::string() : comment.substr(at + 3);
}

}  // namespace

std::string AboutText() {
  const std::string rule(47, '-');
  const std::string lines[] = {
      rule,
      "[Quellor] Framelark",
      rule,
      "本工具集众多网友的思路整理而成,在此感谢论坛各位会员的热心帮助!",
      "希望多发好贴,坚信共同进步、相互学习才是真的进步!",
      "本软件免费使用,仅供学习交流,请勿用于商业或非法用途!",
      rule,
      "联系作者 QQ:" + ContactNumber(),
      rule,
  };
  std::string text = lines[0];
  for (std::size_t i = 1; i < std::size(lines); ++i) text += "\r\n" + lines[i];
  return text;
}

}  // namespace framelark
