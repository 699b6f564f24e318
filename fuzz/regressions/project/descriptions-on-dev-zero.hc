<?xml version="1.0" encoding="windows-1251"?>
<!-- This document was created with Zo_xml unit. -->
<Orvanta_config>
  <Проект Name="Fixture" DeviceFile="Test.dev" Program="VT_win.exe" ConfigFileType="1"/>
  <Заголовок Device="Test" Name="Проверка" IP="10.0.0.7" Cycle="50"/>
  <Схема Name="Лист 1" Width="40" Height="30" WindowOpen="1" Scale="1.25">
    <Блок Name="И 1" DescriptionPath="\..\..\..\..\..\..\..\..\..\..\..\..\..\..\dev\zero/FBD/Логика/AND" Left="2" Top="2" Priority="2">
      <Парам. Label="Первый"/>
      <Данные In1="0" In2="1" Out="2"/>
    </Блок>
    <Блок Name="НЕ 1" DescriptionPath="\..\..\..\..\..\..\..\..\..\..\..\..\..\..\dev\zero/FBD/Логика/XOR" Left="12" Top="2">
      <Парам. Turn="2"/>
      <Данные In="2" Out="0"/>
    </Блок>
    <Блок Name="Сумма" DescriptionPath="\..\..\..\..\..\..\..\..\..\..\..\..\..\..\dev\zero/FBD/Арифметика/ADD" Left="2" Top="12" Priority="1">
      <Данные K="2.5" Text="итог" A="3"/>
    </Блок>
    <Блок Name="Вход 1" DescriptionPath="\..\..\..\..\..\..\..\..\..\..\..\..\..\..\dev\zero/FBD/Каналы/In" Left="20" Top="12">
      <Данные Channel="3"/>
    </Блок>
    <Блок Name="Сеть 1" DescriptionPath="\Struct\Base.xml/FBD/Вход Выход/Orvan_In" Left="20" Top="20">
      <Данные IM="Насос" ID="7"/>
    </Блок>
    <Соединение PointA="327690" PointB="327692"/>
    <Соединение PointA="327692" PointB="655372"/>
    <Соединение Selected="1" PointA="786446" PointB="786454" LineType="1"/>
  </Схема>
  <Схема Name="Лист 2" Width="20" Height="12">
    <Блок Name="Выход сети" DescriptionPath="\Struct\Base.xml/FBD/Вход Выход/Orvan_Out" Left="1" Top="1">
      <Данные IM="Задвижка" ID="8" In="1"/>
    </Блок>
    <Блок Name="Выход" DescriptionPath="\..\..\..\..\..\..\..\..\..\..\..\..\..\..\dev\zero/FBD/Каналы/Out" Left="8" Top="5"/>
    <Соединение PointA="65541" PointB="65545"/>
  </Схема>
</Orvanta_config>
