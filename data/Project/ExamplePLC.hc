<?xml version="1.0" encoding="windows-1251"?>
<!-- This document was created with Zo_xml unit. -->
<Orvanta_config>
  <Проект Name="ExamplePLC" DeviceFile="OrvantaPLC.dev" Program="VT_win.exe"/>
  <Заголовок Device="OrvantaPLC" Name="Пример PLC"/>
  <Схема Name="Лист 1" Width="35" Height="13" WindowOpen="1" Left="0" Top="0" Right="640" Bottom="360" Scale="1">
    <Блок Name="AND 1" DescriptionPath="\Library\Logic.xml/FBD/Logic/AND" Left="1" Top="1" Right="8" Bottom="4">
      <Парам. Library="logic.inc"/>
      <Данные Q="0"/>
    </Блок>
    <Блок Name="OR 1" DescriptionPath="\Library\Logic.xml/FBD/Logic/OR" Left="11" Top="1" Right="19" Bottom="4">
      <Парам. Library="logic.inc"/>
      <Данные In1="0" In2="0" Q="1"/>
    </Блок>
    <Блок Name="XOR 1" DescriptionPath="\Library\Logic.xml/FBD/Logic/XOR" Left="22" Top="1" Right="32" Bottom="4">
      <Парам. Library="logic.inc"/>
      <Данные In1="1"/>
    </Блок>
    <Блок Name="AND 2" DescriptionPath="\Library\Logic.xml/FBD/Logic/AND" Left="1" Top="7" Right="8" Bottom="10">
      <Парам. Library="logic.inc"/>
      <Данные Q="2"/>
    </Блок>
    <Блок Name="OR 2" DescriptionPath="\Library\Logic.xml/FBD/Logic/OR" Left="11" Top="7" Right="19" Bottom="10">
      <Парам. Library="logic.inc"/>
      <Данные In1="2" In2="2" Q="3"/>
    </Блок>
    <Блок Name="XOR 2" DescriptionPath="\Library\Logic.xml/FBD/Logic/XOR" Left="22" Top="7" Right="32" Bottom="10">
      <Парам. Library="logic.inc"/>
      <Данные In1="3"/>
    </Блок>
    <Соединение PointA="196617" PointB="196619"/>
    <Соединение PointA="196616" PointB="196617" Chain="1"/>
    <Соединение PointA="196617" PointB="262153" Chain="2"/>
    <Соединение PointA="262153" PointB="262155" Chain="2"/>
    <Соединение PointA="196627" PointB="196630" NetIndex="1" Chain="3"/>
    <Соединение PointA="589833" PointB="589835" NetIndex="2" Chain="4"/>
    <Соединение PointA="589832" PointB="589833" NetIndex="2" Chain="5"/>
    <Соединение PointA="589833" PointB="655369" NetIndex="2" Chain="6"/>
    <Соединение PointA="655369" PointB="655371" NetIndex="2" Chain="6"/>
    <Соединение PointA="589843" PointB="589846" NetIndex="3" Chain="7"/>
  </Схема>
</Orvanta_config>
