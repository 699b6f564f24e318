<?xml version="1.0" encoding="windows-1251"?>
<Orvanta_config>
  <Проект DeviceFile="..\Device\Test.dev"/>
  <Заголовок/>
</Orvanta_config>
