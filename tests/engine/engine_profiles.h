// Command profiles of the engine tests (ASCII, so they read the same in any code page).
#pragma once

namespace quillon::test {

// Page 0: the commands the request and processor tests talk to.
inline const char kRequestProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Main">
    <command command="+ABCD" description="Plain" polldata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="a"/>
      <parameter type="integer" description="Number" optional="0" defaultvalue="5"/>
    </command>
    <command command="+IDXC" description="Indexed" maxindex="2" polldata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="a"/>
      <parameter type="integer" description="Number" optional="0" defaultvalue="5"/>
    </command>
    <command command="+OPTC" description="Choice" polldata="1">
      <parameter type="option" description="Mode" optional="0" defaultvalue="1">
        <option value="1" text="One"/>
        <option value="2" text="Two"/>
        <option value="3" text="Three"/>
      </parameter>
    </command>
    <command command="+NOWR" description="Kept" polldata="1">
      <parameter type="string" description="Kept text" optional="0" overwrite="false" defaultvalue="keep"/>
      <parameter type="integer" description="Number" optional="0" defaultvalue="0"/>
    </command>
    <command command="+TABL" description="Records" polldata="1" pollprocessor="table" setdata="0"/>
    <command command="+SETO" description="Write only">
      <parameter type="string" description="Text" optional="0" defaultvalue="w"/>
    </command>
    <command command="+TMOC" description="Slow" polldata="1" timeout="5000">
      <parameter type="string" description="Text" optional="0"/>
    </command>
    <command command="+TMOX" description="Bad timeout" polldata="1" timeout="soon">
      <parameter type="string" description="Text" optional="0"/>
    </command>
    <command command="+OPTL" description="Optional first" polldata="1">
      <parameter type="string" description="Text" defaultvalue="a"/>
      <parameter type="integer" description="Number" optional="0" defaultvalue="5"/>
    </command>
    <command command="+NOPA" description="No parameters"/>
    <command command="+USRA" description="User first" passwordmode="useradmin"/>
    <command command="+USER" description="User only" passwordmode="user"/>
    <command command="+SRBT" description="Restart"/>
    <command command="+ODDP" description="Unknown processor" polldata="1" pollprocessor="bogus">
      <parameter type="string" description="Text" optional="0"/>
    </command>
    <command command="+RDON" description="Read only" polldata="1" setdata="0">
      <parameter type="string" description="Text" optional="0"/>
    </command>
  </page>
</application>
)";

// Page 0: three commands, the second indexed with four instances. Page 1: the gsAuto case.
// Page 2: empty. Page 3: a first command whose password mode has no password configured.
inline const char kBatchProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Three">
    <command command="+AAAA" description="First" polldata="1" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="x"/>
    </command>
    <command command="+BBBB" description="Second" polldata="1" groupsetdata="1" maxindex="4">
      <parameter type="string" description="Text" optional="0" defaultvalue="y"/>
    </command>
    <command command="+CCCC" description="Third" polldata="1" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="z"/>
    </command>
  </page>
  <page id="2" name="Auto">
    <command command="+GYES" description="Always" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="q"/>
    </command>
    <command command="+GAUT" description="When given" maxindex="2">
      <parameter type="string" description="Text" defaultvalue="v"/>
      <parameter type="integer" description="Number" defaultvalue="1"/>
    </command>
    <command command="+GNOT" description="Never in a page run" groupsetdata="0">
      <parameter type="string" description="Text" optional="0" defaultvalue="n"/>
    </command>
    <command command="+GPOL" description="Read only" polldata="1" setdata="0">
      <parameter type="string" description="Text" optional="0"/>
    </command>
  </page>
  <page id="3" name="Empty">
  </page>
  <page id="4" name="Users">
    <command command="+UONE" description="User only" passwordmode="user" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="u"/>
    </command>
    <command command="+UTWO" description="Second" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="u"/>
    </command>
    <command command="+IDX3" description="Three instances" maxindex="3" groupsetdata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="i"/>
    </command>
  </page>
</application>
)";

// Leaving command mode and storing into flash through the profile's own commands.
inline const char kSessionProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Service">
    <command command="+TEXT" description="Leave command mode"/>
    <command command="+SAVE" description="Store into flash" passwordmode="admin">
      <parameter type="integer" description="Bank" optional="0" defaultvalue="1"/>
    </command>
  </page>
</application>
)";

inline const char kBareProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Main">
    <command command="+ABCD" description="Plain" polldata="1">
      <parameter type="string" description="Text" optional="0"/>
    </command>
  </page>
</application>
)";

}  // namespace quillon::test
