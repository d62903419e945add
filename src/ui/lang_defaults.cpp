#include "ui/lang_defaults.h"

#include "text/utils.h"
#include "ui/language.h"
#include "ui/msgbox_buttons.h"

namespace vx {

const LanguageKeyDefault kLanguageDefaults[] = {
    {"s0", "Vornix Installation Suite"},
    // "Extracting files..." in simplified Chinese, GBK-encoded (13 bytes).
    {"s1", "\xD5\xFD\xCC\xE1\xC8\xA1\xCE\xC4\xBC\xFE..."},
    {"s2", "Vornix will extract files to your Temp Drive (<DRIVE>)<P>"},
    {"s3", "Limited Free Space on your Temp Drive! (<DRIVE>)<P>"},
    {"s4", "<P>Estimated space required on your Temp drive is: <T>  <SPACE_REQ> MB<P>"},
    {"s5", "Free space available on your Temp drive is: <T>  <SPACE_AVAIL> MB<P>"},
    {"s6", "<P>Continue with Setup?<P>"},
    {"s7", "Bad CRC!<P>This indicates that your setup file might be corrupted..."},
    {"s8", "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue"},
    {"s10", "Downloading File..."},
    {"s11",
     "<b>INTERNET DOWNLOAD</b><p><p>Vornix will download the Setup File from the Internet...<p>"
     "Please make sure your Internet connection is properly set.<p><p>Continue with Setup?<p><P>"
     "Size: <SIZE> MB<P>"},
    {"s12", "No valid Internet Connection.<p>Can not Download File!"},
    {"s13", "The setup program needs administrator rights and was not started.<P>Setup has been cancelled."},
    {"s14", "Not signed by the publisher!<P>The download was not run."},
    {"BtnText", kDefaultButtonList},
    {"Error", "Error"},
    {"Attention", "Attention"},
    {"Confirm", "Confirm"},
    {"Charset", "0"},
    {"FontSize", "8"},
    {"FontName", "Tahoma"},
};

const int kLanguageDefaultCount = static_cast<int>(sizeof kLanguageDefaults / sizeof kLanguageDefaults[0]);

String LanguageDefault(const String& key) {
  for (int i = 0; i < kLanguageDefaultCount; ++i)
    if (SameTextCI(kLanguageDefaults[i].key, key)) return kLanguageDefaults[i].value;
  return String();
}

String LauncherText(const String& block, const char* key) {
  const String k = key;
  return LanguageText(block, k, LanguageDefault(k));
}

}  // namespace vx
