<?xml version="1.0" encoding="windows-1251"?>
<!-- This document was created with Zo_xml unit. -->
<Orvanta_config>
  <Проект Name="AvrDemo" DeviceFile="OrvantaAVR.dev" Program="Mega128" ConfigFileType="2"/>
  <Заголовок Device="OrvantaAVR" Name="AvrDemo"/>
  <Схема Name="Лист 1" Width="60" Height="40" WindowOpen="1" Left="0" Top="0" Right="740" Bottom="520" Scale="1">
    <Блок Name="PinIn 1" DescriptionPath="\Device\OrvantaAVR.dev/FBD/AVR/PinIn" Left="2" Top="2" Right="8" Bottom="4">
      <Парам. Library="port.inc"/>
      <Данные Out="0" Port="3"/>
    </Блок>
    <Блок Name="PinIn 2" DescriptionPath="\Device\OrvantaAVR.dev/FBD/AVR/PinIn" Left="2" Top="10" Right="8" Bottom="12">
      <Парам. Library="port.inc"/>
      <Данные Out="1" Port="3" Bit="1"/>
    </Блок>
    <Блок Name="AND 1" DescriptionPath="\Library\Logic.xml/FBD/Logic/AND" Left="22" Top="4" Right="29" Bottom="7">
      <Парам. Library="logic.inc"/>
      <Данные In1="0" In2="1" Q="2"/>
    </Блок>
    <Блок Name="PinOut 1" DescriptionPath="\Device\OrvantaAVR.dev/FBD/AVR/PinOut" Left="40" Top="4" Right="47" Bottom="6">
      <Парам. Library="port.inc"/>
      <Данные In="2" Port="1"/>
    </Блок>
    <Блок Name="PinIn 3" DescriptionPath="\Device\OrvantaAVR.dev/FBD/AVR/PinIn" Left="2" Top="20" Right="8" Bottom="22">
      <Парам. Library="port.inc"/>
      <Данные Out="3" Port="3" Bit="2"/>
    </Блок>
    <Блок Name="TON 1" DescriptionPath="\Library\Timers\Timers.xml/FBD/Timers/TON" Left="22" Top="20" Right="33" Bottom="23">
      <Парам. Library="timer.inc"/>
      <Данные In="3" Q="4" PT="50"/>
    </Блок>
    <Блок Name="PinOut 2" DescriptionPath="\Device\OrvantaAVR.dev/FBD/AVR/PinOut" Left="40" Top="20" Right="47" Bottom="22" Selected="1">
      <Парам. Library="port.inc"/>
      <Данные In="4" Port="1" Bit="1"/>
    </Блок>
    <Соединение PointA="262152" PointB="262160"/>
    <Соединение PointA="262160" PointB="393232"/>
    <Соединение PointA="393232" PointB="393238"/>
    <Соединение PointA="786440" PointB="786450" NetIndex="1" Chain="1"/>
    <Соединение PointA="458770" PointB="786450" NetIndex="1" Chain="1"/>
    <Соединение PointA="458770" PointB="458774" NetIndex="1" Chain="1"/>
    <Соединение PointA="393245" PointB="393256" NetIndex="2" Chain="2"/>
    <Соединение PointA="1441800" PointB="1441814" NetIndex="3" Chain="3"/>
    <Соединение PointA="1441825" PointB="1441832" NetIndex="4" Chain="4"/>
  </Схема>
</Orvanta_config>
