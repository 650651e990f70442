#include "sim/sim_fixture_profile.h"

#include <unistd.h>

#include <fstream>

namespace quillon {

const std::string& SimFixtureProfileXml() {
  static const std::string xml = reinterpret_cast<const char*>(
      u8R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <title>Fixture</title>
  <page id="1" name="Main">
    <command command="+ABCD" polldata="1" passwordmode="adminuser">
      <parameter type="string" maxlen="8" defaultvalue="abc" onleave_mask="^[a-z]{1,8}$"/>
      <parameter type="integer" minvalue="1" maxvalue="100" defaultvalue="5"/>
    </command>
    <command command="+IDX" maxindex="2" polldata="1">
      <parameter type="option" defaultvalue="1">
        <option value="0" text="A"/><option value="1" text="B"/><option value="7" text="C"/>
      </parameter>
      <parameter type="hex" maxlen="4" minvalue="$10" maxvalue="$FFF" defaultvalue="ff"/>
    </command>
    <command command="+ADM" polldata="1" passwordmode="admin">
      <parameter type="integer" defaultvalue="1"/>
    </command>
    <command command="+USR" polldata="1" passwordmode="user">
      <parameter type="integer" defaultvalue="2"/>
    </command>
    <command command="+RO" polldata="1" setdata="false">
      <parameter type="string" defaultvalue="ro"/>
    </command>
    <command command="+NAM" polldata="1">
      <parameter type="string" defaultvalue="Имя" onleave_mask="^[А-Яа-я ]+$"/>
    </command>
    <command command="+LOG" polldata="1" setdata="false" pollprocessor="table"
             table_headers="N,A,B"/>
    <command command="+BYE" pollprocessor="exitcmd"/>
    <command command="+SAVE"/>
    <command command="+SRBT"/>
    <command command="+TEXT"/>
  </page>
</application>
)");
  return xml;
}

namespace {

// Removed when the test program ends.
struct TFixtureFile {
  std::string Path = "/tmp/quillon_sim_fixture_" + std::to_string(getpid()) + ".xml";
  TFixtureFile() { std::ofstream(Path, std::ios::binary) << SimFixtureProfileXml(); }
  ~TFixtureFile() { unlink(Path.c_str()); }
};

}  // namespace

const std::string& SimFixtureProfileFile() {
  static const TFixtureFile file;
  return file.Path;
}

}  // namespace quillon
